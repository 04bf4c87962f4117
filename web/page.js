'use strict';
// The page's behaviour. It only moves texts: each press hands the six input
// texts to the engine (the C++ of the window and flyback-calc, compiled to
// WebAssembly) in one call and shows what comes back: the boxes, their notes
// and warnings, the working, the winding plan and its pictures. Every number
// rule, caption and message lives in the engine; texts go into the page as
// text, never as markup, and the pictures are parsed as SVG, not HTML.
(async function () {
    const $ = (id) => document.getElementById(id);
    const inputs = [0, 1, 2, 3, 4, 5].map((i) => $('Text1_' + i));
    const results = [0, 1, 2, 3, 4, 5, 6].map((i) => $('Text2_' + i));
    const button = $('Command1');
    const dialog = $('FaultDialog');
    const engine = await createEngine();
    const encoder = new TextEncoder();
    // The parts a design file opened gave in place: kept with the design, and
    // taken again before anything reads the catalogue.
    const kFileParts = 'flyback-designer.file-parts';
    let fileParts = null;
    try {
        fileParts = localStorage.getItem(kFileParts);
    } catch {
        fileParts = null;  // a page without storage keeps no design either
    }
    if (fileParts !== null && engine.page.takeFileParts(fileParts).error) fileParts = null;
    const parts = engine.page.parts();
    const boxes = engine.boxes();
    const kStale = '输入已更改，按 => 重新计算';

    // The plan's options and choices as last set without a problem: a
    // comparison in its worker plans with the same (on the same parts, given
    // first).
    const planSettings = fileParts === null ? {} : { takeFileParts: fileParts };
    for (const name of ['setPlanOptions', 'setPlanChoices', 'setPictureWidth']) {
        const set = engine.page[name];
        engine.page[name] = (value) => {
            const answer = set(value);
            if (!answer.problem) planSettings[name] = value;
            return answer;
        };
    }

    const texts = () => inputs.map((box) => box.value);
    // What every part shares; each adds what the others call (page_boxes.js,
    // page_plan.js, page_choices.js, page_tools.js, page_files.js, page_compare.js,
    // in that order).
    const page = {
        $, inputs, results, button, dialog, engine, encoder, parts, boxes, kStale, texts, planSettings,
        kFileParts,
        lastTexts: null,  // the texts of the last press
        lastPress: null,  // what the engine said of it
        stale: () => page.lastTexts !== null && texts().some((text, i) => text !== page.lastTexts[i]),
        today: () => new Date().toLocaleDateString('sv'),  // 2026-12-07, as the report dates
        afterPress: [],  // what each press also renews
    };
    // On a phone a table of more than two columns stacks into cards: each
    // cell carries its column's heading, whichever part filled the table.
    function labelCells() {
        for (const table of document.querySelectorAll('.scroll table')) {
            const headings = [...(table.tHead?.rows[0]?.cells ?? [])].map((th) => th.textContent);
            if (table.classList.contains('wide') !== headings.length > 2) {
                table.classList.toggle('wide', headings.length > 2);
            }
            for (const row of table.tBodies[0]?.rows ?? []) {
                [...row.cells].forEach((cell, i) => {
                    if (headings[i] && cell.dataset.label !== headings[i]) {
                        cell.dataset.label = headings[i];
                    }
                });
            }
        }
    }
    new MutationObserver(labelCells).observe(document.body, { childList: true, subtree: true });
    labelCells();

    for (const part of ['boxes', 'plan', 'choices', 'tools', 'files', 'compare']) {
        window.FlybackPage[part](page);
    }

    // ---- Offline: served from a web server, the page installs and works
    // offline. Opened from disk it needs neither (and may fetch neither).
    if (location.protocol.startsWith('http')) {
        const manifest = document.createElement('link');
        manifest.rel = 'manifest';
        manifest.href = 'manifest.webmanifest';
        document.head.append(manifest);
        if ('serviceWorker' in navigator) navigator.serviceWorker.register('sw.js').catch(() => {});
    }

    // Pictures drawn for the room a panel gives them: a phone's narrow
    // screen gets narrower pictures with text as large, not shrunk ones.
    let pictureWidth = 0;
    function fitPictures() {
        const room = Math.floor($('winding').clientWidth - 24);
        if (room === pictureWidth) return;
        pictureWidth = room;
        engine.page.setPictureWidth(room);
        page.replan();
    }
    fitPictures();
    window.addEventListener('resize', fitPictures);

    page.showBoxStates();
    button.disabled = false;
    // Digits typed at once go to the first input.
    const first = document.getElementById('Text1_0');
    first.focus();
    first.select();
    document.documentElement.dataset.ready = String(performance.now());
})();
