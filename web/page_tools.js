'use strict';
// Copy, save, print, about, and sweeps.
// A part of the page's behaviour (page.js starts it): it takes what it uses
// from `page` and adds what the other parts call.
window.FlybackPage = window.FlybackPage || {};
window.FlybackPage.tools = function (page) {
    const { $, inputs, engine, parts, boxes, texts, stale, today, picture } = page;

    // ---- Copy, save, print, about --------------------------------------------

    let copying = false;
    document.addEventListener('copy', (event) => {
        if (!copying) return;
        const copy = engine.page.copy(page.lastTexts, today(), stale());
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
        const report = engine.page.report(page.lastTexts, today(), stale());
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

    // ---- From the mains -----------------------------------------------------------

    // The two DC input voltages from the AC range, the power and efficiency
    // taken from their boxes, as the window's 由交流输入 gives them.
    const mainsFields = ['MainsMinAc', 'MainsMaxAc', 'MainsLineHz', 'MainsBulk', 'MainsHoldup'];
    function showMains() {
        const [minAc, maxAc, lineHz, bulk, holdup] = mainsFields.map((id) => $(id).value);
        const range = engine.page.dcFromMains({
            minAc, maxAc, lineHz, bulk, holdup, power: inputs[0].value, efficiency: inputs[4].value,
        });
        // Voltages filled in from another power or efficiency, and left in
        // their boxes, are out of date once the bulk's ripple moves them.
        const outOfDate = !range.problem && filled !== null &&
            inputs[1].value === filled.vmax && inputs[2].value === filled.vmin &&
            (range.vmax !== filled.vmax || range.vmin !== filled.vmin);
        $('MainsResult').textContent = (range.problem || range.text) + (outOfDate
            ? `\n输入框中的最大、最小输入电压（${filled.vmax} V、${filled.vmin} V）按之前的功率或效率算出，已过时：请重新填入。`
            : '');
        if (outOfDate) $('MainsResult').dataset.stale = 'true';
        else delete $('MainsResult').dataset.stale;
        $('MainsFill').disabled = Boolean(range.problem);
        return range;
    }
    let filled = null;  // the voltages last filled in
    for (const id of mainsFields) $(id).addEventListener('input', showMains);
    for (const box of [inputs[0], inputs[4]]) box.addEventListener('input', showMains);
    $('MainsForm').addEventListener('submit', (event) => event.preventDefault());
    $('MainsFill').addEventListener('click', () => {
        const range = showMains();
        if (range.problem) return;
        // Written as texts, which then read as any typed text.
        // The plan's insulation is rated by the mains typed, not the bus.
        filled = { vmax: range.vmax, vmin: range.vmin };
        for (const [box, text] of [[inputs[1], range.vmax], [inputs[2], range.vmin],
            [$('OptMains'), range.mains]]) {
            box.value = text;
            box.dispatchEvent(new Event('input'));
        }
        showMains();
    });
    showMains();

    // ---- Sweeps ----------------------------------------------------------------

    // The six inputs, then the plan's own choices, which sweep the plan alone.
    boxes.inputs.forEach((box, i) => $('SweepInput').add(new Option(box.caption, String(i))));
    parts.sweepChoices.forEach((choice, i) => $('SweepInput').add(
        new Option('方案：' + choice.caption, String(boxes.inputs.length + i))));
    const sweptChoice = () => parts.sweepChoices[Number($('SweepInput').value) - boxes.inputs.length];
    function proposeRange() {
        const choice = sweptChoice();
        $('SweepPlan').disabled = Boolean(choice);  // a choice is swept in the plan
        if (choice) {
            $('SweepPlan').checked = true;
            $('SweepFrom').value = choice.from;
            $('SweepTo').value = choice.to;
            return;
        }
        const i = Number($('SweepInput').value);
        const value = Number(inputs[i].value);
        $('SweepFrom').value = Number.isFinite(value) && inputs[i].value.trim() ? value / 2 : '';
        $('SweepTo').value = Number.isFinite(value) && inputs[i].value.trim() ? value * 3 / 2 : '';
    }
    // The range proposed follows the swept box and each press, until one is
    // typed.
    let rangeTyped = false;
    for (const id of ['SweepFrom', 'SweepTo']) {
        $(id).addEventListener('input', () => { rangeTyped = true; });
    }
    $('SweepInput').addEventListener('change', () => {
        rangeTyped = false;
        proposeRange();
    });
    page.afterPress.push(() => { if (!rangeTyped) proposeRange(); });
    proposeRange();
    let sweepTable = '';
    $('SweepForm').addEventListener('submit', (event) => {
        event.preventDefault();
        const symbol = sweptChoice()?.symbol ?? boxes.inputs[Number($('SweepInput').value)].symbol;
        const range = `${symbol}=${$('SweepFrom').value}:${$('SweepTo').value}:${$('SweepPoints').value}`;
        let swept;
        try {
            // One column of panels where two would shrink their text.
            const columns = $('SweepPlot').clientWidth < 760 ? 1 : 2;
            swept = engine.page.sweep(texts(), range, $('SweepPlan').checked, columns);
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


};
