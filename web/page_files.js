'use strict';
// Design files: 打开 (a file picker, or a file dropped on the page), 保存 and
// 导出 SPICE (downloads), and the last design kept across a reload. The
// engine reads and writes the files; the page only moves texts.
// A part of the page's behaviour (page.js starts it, last).
window.FlybackPage = window.FlybackPage || {};
window.FlybackPage.files = function (page) {
    const { $, inputs, engine, texts, button, tell } = page;
    const kDesign = 'flyback-designer.design';
    const kOpenedNotes = 'flyback-designer.opened';
    const kMostBytes = 4 * 1024 * 1024;

    function download(answer, type) {
        if (answer.error) {
            tell(answer.error, -1);
            return;
        }
        const link = document.createElement('a');
        link.href = URL.createObjectURL(new Blob([answer.text], { type }));
        link.download = answer.name;
        link.click();
        setTimeout(() => URL.revokeObjectURL(link.href), 0);
    }
    $('SaveDesign').addEventListener('click', () =>
        download(engine.page.saveDesign(texts()), 'application/json'));
    $('ExportSpice').addEventListener('click', () =>
        download(engine.page.spice(texts()), 'text/plain'));

    // A file opened becomes the page's kept design, options, choices and
    // pins, and the page starts again from them, as after a reload.
    async function open(file) {
        if (file.size > kMostBytes) {
            tell(file.name + '：文件太大，不是设计文件。', -1);
            return;
        }
        const text = await file.text();
        const opened = engine.page.openDesign(text);
        if (opened.error) {
            tell(file.name + '：' + opened.error, -1);
            return;
        }
        try {
            // The file's own parts first: the design names them.
            if (opened.fileParts) localStorage.setItem(page.kFileParts, text);
            else localStorage.removeItem(page.kFileParts);
            localStorage.setItem('flyback-designer.winding', JSON.stringify(opened.options));
            localStorage.setItem('flyback-designer.choices', JSON.stringify(opened.choices));
            localStorage.setItem('flyback-designer.pins', opened.pins);
            localStorage.setItem(kDesign, JSON.stringify({ texts: opened.texts }));
            if (opened.notes.length > 0) {
                sessionStorage.setItem(kOpenedNotes, JSON.stringify(opened.notes));
            }
        } catch {
            tell('此页面不能保存数据（浏览器禁止了本地存储，或文件超出其容量），无法打开设计文件。', -1);
            return;
        }
        location.reload();
    }
    $('OpenDesign').addEventListener('click', () => $('OpenFile').click());
    $('OpenFile').addEventListener('change', () => {
        const file = $('OpenFile').files[0];
        $('OpenFile').value = '';
        if (file) open(file);
    });
    const carriesFiles = (event) => [...event.dataTransfer.types].includes('Files');
    document.addEventListener('dragover', (event) => {
        if (carriesFiles(event)) event.preventDefault();
    });
    document.addEventListener('drop', (event) => {
        if (!carriesFiles(event)) return;
        event.preventDefault();
        const file = event.dataTransfer.files[0];
        if (file) open(file);
    });

    // The last press's texts, kept; a reload presses them again.
    page.afterPress.push(() => {
        try {
            localStorage.setItem(kDesign, JSON.stringify({ texts: page.lastTexts }));
        } catch {
            // a page without storage starts from the design-time texts
        }
    });
    let kept = null;
    let notes = null;
    try {
        kept = JSON.parse(localStorage.getItem(kDesign));
        notes = JSON.parse(sessionStorage.getItem(kOpenedNotes));
        sessionStorage.removeItem(kOpenedNotes);
    } catch {
        kept = null;
    }
    const keptTexts = kept && Array.isArray(kept.texts) && kept.texts.length === inputs.length &&
        kept.texts.every((text) => typeof text === 'string');
    if (keptTexts) {
        kept.texts.forEach((text, i) => { inputs[i].value = text; });
        button.disabled = false;
        button.click();
    }
    if (Array.isArray(notes) && notes.length > 0) {
        tell('由其他工具的文件分析：\n' + notes.join('\n'), -1);
    }
};
