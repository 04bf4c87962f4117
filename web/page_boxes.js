'use strict';
// Messages, notes and tips; the boxes' states as the user types.
// A part of the page's behaviour (page.js starts it): it takes what it uses
// from `page` and adds what the other parts call.
window.FlybackPage = window.FlybackPage || {};
window.FlybackPage.boxes = function (page) {
    const { $, inputs, results, dialog, engine, encoder, boxes, kStale, texts, stale } = page;

    // ---- Messages and notes -------------------------------------------------

    // After a fault, the input the message names has the focus, selected.
    let suspect = -1;
    dialog.addEventListener('close', () => {
        if (suspect < 0) return;
        inputs[suspect].focus();
        inputs[suspect].select();
    });

    function tell(text, input) {
        $('FaultMessage').textContent = text;
        suspect = input;
        dialog.showModal();
    }

    // A box's note: its accessible description, its hover text, and what the
    // tooltip shows while it has the focus.
    const notes = new Map();
    function setNote(box, text) {
        notes.set(box, text);
        box.title = text;
        $(box.getAttribute('aria-describedby')).textContent = text;
        if (document.activeElement === box) showTip(box);
    }

    const tip = $('Tip');
    function showTip(box) {
        const text = notes.get(box);
        if (!text) {
            tip.hidden = true;
            return;
        }
        tip.textContent = text;
        // Beside the form where there is room, else above the page's top edge
        // in view: never over the next box or the button, and it takes no
        // click (page.css), so a tap meant for what lies under it lands there.
        const frame = $('Form1').getBoundingClientRect();
        const room = document.documentElement.clientWidth - frame.right;
        tip.classList.toggle('beside', room >= 220);
        if (room >= 220) {
            const rect = box.getBoundingClientRect();
            tip.style.left = (frame.right + window.scrollX + 8) + 'px';
            tip.style.top = (rect.top + window.scrollY) + 'px';
            tip.style.maxWidth = Math.min(300, room - 16) + 'px';
        } else {
            tip.style.left = '';
            tip.style.top = '';
            tip.style.maxWidth = '';
        }
        tip.hidden = false;
    }
    for (const box of [...inputs, ...results]) {
        box.addEventListener('focus', () => showTip(box));
        box.addEventListener('blur', () => { tip.hidden = true; });
    }
    // Enter in a box calculates nothing, as in the window; the tip says what does.
    for (const box of inputs) {
        box.addEventListener('keydown', (event) => {
            if (event.key !== 'Enter') return;
            showTip(box);
            tip.textContent = engine.howToCalculate;
            tip.hidden = false;
        });
    }

    // ---- As the user types: warnings and results out of date ---------------

    // A result too long for its box shows whole in a smaller font, down to
    // 8 px, rather than cut where it would read as another number.
    function fitText(box) {
        box.style.fontSize = '';
        let size = parseFloat(getComputedStyle(box).fontSize);
        while (box.scrollWidth > box.clientWidth && size > 8) {
            size -= 1;
            box.style.fontSize = size + 'px';
        }
    }

    function showBoxStates() {
        const warnings = engine.page.inputWarnings(texts());
        const derived = new Map();  // result box -> the lines of the invalid inputs
        inputs.forEach((box, i) => {
            const own = warnings.filter((w) => w.box === box.id);
            const warned = own.find((w) => w.strength === 'invalid') ||
                           own.find((w) => w.strength === 'caution');
            if (warned) box.dataset.warning = warned.code; else delete box.dataset.warning;
            const invalid = own.some((w) => w.strength === 'invalid');
            if (invalid) box.setAttribute('aria-invalid', 'true'); else box.removeAttribute('aria-invalid');
            for (const w of own.filter((w) => w.strength === 'invalid')) {
                for (const result of w.results) {
                    derived.set(result, [...(derived.get(result) || []), w.line]);
                }
            }
            const note = page.lastPress ? page.lastPress.notes.inputs[i] : '单位：' + boxes.inputs[i].unit;
            setNote(box, [...own.map((w) => w.tip), note].join('\n'));
        });
        const isStale = stale();
        results.forEach((box, i) => {
            fitText(box);
            const lines = derived.get(box.id);
            if (lines) box.dataset.invalidInput = 'true'; else delete box.dataset.invalidInput;
            if (!page.lastPress) {  // the form's initial texts are not a design
                box.dataset.stale = 'true';
                setNote(box, '尚未计算：这是窗体的初始文字，按 => 计算');
                return;
            }
            if (isStale) {  // grey, as the window shows it, warned or not
                box.dataset.stale = 'true';
                delete box.dataset.warned;
                setNote(box, kStale);
                return;
            }
            delete box.dataset.stale;
            const tip = page.lastPress.notes.results[i];
            if (tip.marked) box.dataset.warned = 'true'; else delete box.dataset.warned;
            setNote(box, tip.lines.filter((line) => line).join('\n'));
        });
        for (const panel of [$('working'), $('winding')]) {
            if (isStale) panel.dataset.stale = 'true'; else delete panel.dataset.stale;
        }
        $('StaleNote').hidden = !isStale;
        for (const id of ['CopyDesign', 'SaveReport', 'PrintReport']) {
            $(id).textContent = $(id).textContent.replace('（上次计算）', '') + (isStale ? '（上次计算）' : '');
        }
    }

    // As in the window, a box takes a text of up to what the command line
    // reads; a longer paste is refused whole, with a word, rather than cut.
    const fits = (text) => text.length * 3 <= engine.maxInputText ||
                           encoder.encode(text).length <= engine.maxInputText;
    for (const [i, box] of inputs.entries()) {
        let accepted = box.value;
        box.addEventListener('input', () => {
            if (!fits(box.value)) {
                box.value = accepted;
                tell(engine.textTooLongMessage, i);
            }
            accepted = box.value;
            showBoxStates();
        });
    }

    // A number box of an engine's table (options, choices): labelled with the
    // row's caption and unit, its "none" as the placeholder of an empty box.
    function tableBox(info, id) {
        const label = document.createElement('label');
        label.append(info.caption + (info.unit ? ` (${info.unit})` : '') + ' ');
        const input = document.createElement('input');
        Object.assign(input, { id, autocomplete: 'off', inputMode: 'decimal', size: 6 });
        if (info.none) input.placeholder = info.none;
        label.append(input);
        return { label, input };
    }

    Object.assign(page, { tell, setNote, showBoxStates, tableBox });
};
