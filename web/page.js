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
    const parts = engine.page.parts();
    const boxes = engine.boxes();
    const kStale = '输入已更改，按 => 重新计算';

    let lastTexts = null;  // the texts of the last press
    let lastPress = null;  // what the engine said of it
    const texts = () => inputs.map((box) => box.value);
    const stale = () => lastTexts !== null && texts().some((text, i) => text !== lastTexts[i]);
    const today = () => new Date().toLocaleDateString('sv');  // 2026-12-07, as the report dates

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
        const rect = box.getBoundingClientRect();
        tip.style.left = Math.max(4, Math.min(rect.left + window.scrollX,
                                              document.documentElement.clientWidth - 300)) + 'px';
        tip.style.top = (rect.bottom + window.scrollY + 4) + 'px';
        tip.hidden = false;
    }
    for (const box of [...inputs, ...results]) {
        box.addEventListener('focus', () => showTip(box));
        box.addEventListener('blur', () => { tip.hidden = true; });
    }

    // ---- As the user types: warnings and results out of date ---------------

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
            const note = lastPress ? lastPress.notes.inputs[i] : '单位：' + boxes.inputs[i].unit;
            setNote(box, [...own.map((w) => w.tip), note].join('\n'));
        });
        const isStale = stale();
        results.forEach((box, i) => {
            const lines = derived.get(box.id);
            if (lines) box.dataset.invalidInput = 'true'; else delete box.dataset.invalidInput;
            if (!lastPress) return;
            if (isStale) {  // grey, as the window shows it, warned or not
                box.dataset.stale = 'true';
                delete box.dataset.warned;
                setNote(box, kStale);
                return;
            }
            delete box.dataset.stale;
            const tip = lastPress.notes.results[i];
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

    // ---- A press -------------------------------------------------------------

    function cell(row, text, className) {
        const td = row.insertCell();
        td.textContent = text;
        if (className) td.className = className;
        return td;
    }

    function fillList(list, lines) {
        list.replaceChildren(...lines.map((line) => {
            const item = document.createElement('li');
            item.textContent = typeof line === 'string' ? line : line.text;
            if (line.strength) item.className = line.strength;
            return item;
        }));
    }

    function showWorking(working) {
        $('working').hidden = false;
        $('WorkingKey').textContent = working.key;
        fillList($('WorkingLines'), working.lines);
        const body = $('WorkingTable').tBodies[0];
        body.replaceChildren();
        for (const q of working.rows) {
            const row = body.insertRow();
            cell(row, q.symbol);
            cell(row, q.name);
            cell(row, q.value, 'number');
            cell(row, q.numbers, 'formula').title = q.formula;
        }
    }

    // Our own SVG, parsed as SVG: nothing in it can run or load.
    function picture(svgText) {
        const svg = new DOMParser().parseFromString(svgText, 'image/svg+xml').documentElement;
        return document.importNode(svg, true);
    }

    function showWinding(plan) {
        $('WindingEmpty').hidden = true;
        $('WindingPremise').textContent = plan.premise;
        // No plan: why; a plan of a doubtful input: that, first.
        const headline = plan.error || (plan.headlines || []).join('\n');
        $('WindingError').hidden = !headline;
        $('WindingError').textContent = headline;
        const table = $('WindingTable');
        table.tHead.rows[0].replaceChildren(...(plan.headings || []).map((heading) => {
            const th = document.createElement('th');
            th.textContent = heading;
            return th;
        }));
        table.tBodies[0].replaceChildren();
        for (const cells of plan.rows || []) {
            const row = table.tBodies[0].insertRow();
            cells.forEach((text, i) => cell(row, text, i === 1 || i > 3 ? 'number' : ''));
        }
        fillList($('WindingWarnings'), plan.warnings || []);
        $('WindingPictures').replaceChildren(
            ...(plan.build ? [picture(plan.build), picture(plan.currents)] : []));
        const lines = $('WindingLines').tBodies[0];
        lines.replaceChildren();
        for (const [caption, value] of plan.lines || []) {
            const row = lines.insertRow();
            cell(row, caption);
            cell(row, value);
        }
        $('WindingLines').hidden = !plan.lines;
        $('WindingTable').hidden = !plan.rows;
    }

    function press() {
        const pressed = texts();
        const answer = engine.page.press(pressed);
        const written = new Set();
        for (const result of answer.answer.results) {  // in the order they were computed
            results[result.box].value = result.text;
            results[result.box].scrollLeft = 0;  // long texts show their beginning
            written.add(result.box);
        }
        lastTexts = pressed;
        lastPress = answer;
        for (const id of ['CopyDesign', 'SaveReport', 'PrintReport']) $(id).disabled = false;
        showWorking(answer.working);
        showWinding(answer.winding);
        showBoxStates();
        if (answer.answer.error === null) return;
        // The boxes the calculation did not reach would show other inputs' values.
        results.forEach((box, i) => { if (!written.has(i)) box.value = ''; });
        tell(answer.faultMessage || answer.answer.error.message, answer.suspectInput);
    }

    button.addEventListener('click', press);

    // ---- The winding plan's options, kept as the window keeps them -----------

    const optionBoxes = {
        core: $('OptCore'), material: $('OptMaterial'), bmax: $('OptBmax'),
        density: $('OptDensity'), fill: $('OptFill'), vaux: $('OptVaux'),
        leakage: $('OptLeakage'), ambient: $('OptAmbient'),
    };
    for (const name of parts.cores) optionBoxes.core.add(new Option(name, name));
    for (const name of parts.materials) optionBoxes.material.add(new Option(name, name));
    const familyBoxes = parts.families.map((family) => {
        const label = document.createElement('label');
        const box = document.createElement('input');
        box.type = 'checkbox';
        box.value = family;
        box.checked = true;
        label.append(box, ' ' + family);
        $('OptFamilies').append(label);
        return box;
    });
    const defaults = {
        core: '', material: parts.material, bmax: parts.bmax, density: parts.density,
        fill: parts.fill, vaux: '', leakage: parts.leakage, ambient: parts.ambient,
    };
    const kStore = 'flyback-designer.winding';
    function readStore() {
        try {
            return JSON.parse(localStorage.getItem(kStore)) || {};
        } catch {
            return {};
        }
    }
    const kept = readStore();
    const keptText = (v) => typeof v === 'string' || typeof v === 'number';
    for (const [name, box] of Object.entries(optionBoxes)) {
        box.value = keptText(kept[name]) ? kept[name] : defaults[name];
    }
    $('OptTiw').checked = kept.tiw === true;
    // An empty list allows every family, and shows them all ticked.
    if (Array.isArray(kept.families) && kept.families.length > 0) {
        for (const box of familyBoxes) box.checked = kept.families.includes(box.value);
    }

    function options() {
        const chosen = familyBoxes.filter((box) => box.checked).map((box) => box.value);
        const values = Object.fromEntries(
            Object.entries(optionBoxes).map(([name, box]) => [name, box.value.trim()]));
        return {
            ...values,
            tiw: $('OptTiw').checked,
            families: chosen.length === familyBoxes.length ? [] : chosen,
        };
    }

    const optionOrder = ['core', 'families', 'material', 'bmax', 'density', 'fill', 'vaux',
                         'leakage', 'ambient'];
    function applyOptions() {
        // None ticked would allow every family: show that as all ticked.
        if (!familyBoxes.some((box) => box.checked)) {
            for (const box of familyBoxes) box.checked = true;
        }
        const { problem, box } = engine.page.setPlanOptions(options());
        $('OptProblem').hidden = !problem;
        $('OptProblem').textContent = problem ? '选项有误：' + problem : '';
        for (const [name, input] of Object.entries(optionBoxes)) {
            if (problem && optionOrder[box] === name) {
                input.setAttribute('aria-invalid', 'true');
            } else {
                input.removeAttribute('aria-invalid');
            }
        }
        // The plan below is of the options before, until this one is mended.
        if (problem) $('winding').dataset.optionsStale = 'true';
        else delete $('winding').dataset.optionsStale;
        if (problem) return;
        const store = Object.fromEntries(
            Object.entries(optionBoxes).map(([name, box]) => [name, box.value]));
        store.tiw = $('OptTiw').checked;
        store.families = familyBoxes.filter((box) => box.checked).map((box) => box.value);
        try {
            localStorage.setItem(kStore, JSON.stringify(store));
        } catch {
            // a page without storage forgets its options: nothing else is lost
        }
        if (lastTexts === null) return;
        lastPress = { ...lastPress, winding: engine.page.press(lastTexts).winding };
        showWinding(lastPress.winding);
    }
    $('WindingOptions').addEventListener('change', applyOptions);
    $('WindingOptions').addEventListener('submit', (event) => event.preventDefault());
    if (engine.page.setPlanOptions(options()).problem) {  // kept options no longer valid
        for (const [name, box] of Object.entries(optionBoxes)) box.value = defaults[name];
        engine.page.setPlanOptions(options());
    }

    // ---- Copy, save, print, about --------------------------------------------

    let copying = false;
    document.addEventListener('copy', (event) => {
        if (!copying) return;
        const copy = engine.page.copy(lastTexts, today(), stale());
        event.clipboardData.setData('text/plain', copy.text);
        event.clipboardData.setData('text/html', copy.html);
        event.preventDefault();
    });
    $('CopyDesign').addEventListener('click', () => {
        copying = true;
        document.execCommand('copy');
        copying = false;
    });

    $('SaveReport').addEventListener('click', () => {
        const report = engine.page.report(lastTexts, today(), stale());
        const link = document.createElement('a');
        link.href = URL.createObjectURL(new Blob([report.html], { type: 'text/html;charset=utf-8' }));
        link.download = report.name;
        link.click();
        setTimeout(() => URL.revokeObjectURL(link.href), 0);
    });
    $('PrintReport').addEventListener('click', () => window.print());

    $('AboutName').textContent = parts.title;
    $('AboutVersion').textContent = 'flyback-designer ' + parts.version;
    $('AboutPurpose').textContent = parts.purpose;
    $('AboutLicence').textContent = parts.licence;
    $('ShowAbout').addEventListener('click', () => $('AboutDialog').showModal());
    document.addEventListener('keydown', (event) => {
        if (event.key === 'F1') {
            event.preventDefault();
            $('AboutDialog').showModal();
        }
    });

    // ---- Sweeps ----------------------------------------------------------------

    boxes.inputs.forEach((box, i) => $('SweepInput').add(new Option(box.caption, String(i))));
    function proposeRange() {
        const i = Number($('SweepInput').value);
        const value = Number(inputs[i].value);
        $('SweepFrom').value = Number.isFinite(value) && inputs[i].value.trim() ? value / 2 : '';
        $('SweepTo').value = Number.isFinite(value) && inputs[i].value.trim() ? value * 3 / 2 : '';
    }
    $('SweepInput').addEventListener('change', proposeRange);
    proposeRange();
    let sweepTable = '';
    $('SweepForm').addEventListener('submit', (event) => {
        event.preventDefault();
        const symbol = boxes.inputs[Number($('SweepInput').value)].symbol;
        const range = `${symbol}=${$('SweepFrom').value}:${$('SweepTo').value}:${$('SweepPoints').value}`;
        let swept;
        try {
            swept = engine.page.sweep(texts(), range, $('SweepPlan').checked);
        } catch (error) {  // never a silent freeze: whatever failed is said
            swept = { problem: '扫描失败：' + String(error && error.message || error) };
        }
        $('SweepProblem').hidden = !swept.problem;
        $('SweepProblem').textContent = swept.problem || '';
        if (swept.problem) return;
        sweepTable = swept.tsv;
        $('SweepPlot').replaceChildren(picture(swept.svg));
        $('SweepCopy').disabled = false;
    });
    let copyingSweep = false;
    document.addEventListener('copy', (event) => {
        if (!copyingSweep) return;
        event.clipboardData.setData('text/plain', sweepTable);
        event.preventDefault();
    });
    $('SweepCopy').addEventListener('click', () => {
        copyingSweep = true;
        document.execCommand('copy');
        copyingSweep = false;
    });

    // ---- Offline: served from a web server, the page installs and works
    // offline. Opened from disk it needs neither (and may fetch neither).
    if (location.protocol.startsWith('http')) {
        const manifest = document.createElement('link');
        manifest.rel = 'manifest';
        manifest.href = 'manifest.webmanifest';
        document.head.append(manifest);
        if ('serviceWorker' in navigator) navigator.serviceWorker.register('sw.js').catch(() => {});
    }

    showBoxStates();
    button.disabled = false;
    button.focus();
    document.documentElement.dataset.ready = String(performance.now());
})();
