'use strict';
// 设计选择: the engineer's own decisions on the winding plan (outputs, the bias
// load, the reflected voltage, the mode, fixed turns, clamp, current limit),
// kept as the window keeps them. The engine reads and checks them; the page
// only moves their texts. A part of the page's behaviour (page.js starts it).
window.FlybackPage = window.FlybackPage || {};
window.FlybackPage.choices = function (page) {
    const { $, engine, replan } = page;
    const kStore = 'flyback-designer.choices';
    // The number boxes are built from the engine's table of choices, each
    // beside the list of the way it belongs to; the lists' captions too.
    const { choiceNumbers, vorSources, conductions, outputColumns } = page.parts;
    const boxId = (key) => 'Ch' + key[0].toUpperCase() + key.slice(1);
    vorSources.forEach((caption, i) => $('ChVorSource').add(new Option(caption, String(i))));
    conductions.forEach((caption, i) => $('ChConduction').add(new Option(caption, String(i))));
    for (const info of choiceNumbers) {
        const { label, input } = page.tableBox(info, boxId(info.key));
        if (!info.none) input.value = info.first;
        let place = 'ChPlainNumbers';
        if (info.vorSource !== null) {
            label.dataset.source = String(info.vorSource);
            place = 'ChVorNumbers';
        } else if (info.conduction !== null) {
            label.dataset.mode = String(info.conduction);
            place = 'ChModeNumbers';
        } else if (info.none) {
            place = 'ChLeftNumbers';
        }
        $(place).append(label, ' ');
    }
    const boxes = { vorSource: $('ChVorSource'), conduction: $('ChConduction'), turns: $('ChTurns') };
    for (const info of choiceNumbers) boxes[info.key] = $(boxId(info.key));
    const outputRows = $('ChOutputs').tBodies[0];
    const kColumns = outputColumns.map((column) => `${column.caption} (${column.unit})`);
    for (const caption of kColumns) {
        const head = document.createElement('th');
        head.textContent = caption;
        $('ChOutputs').tHead.rows[0].append(head);
    }
    // Names a page kept its boxes under before they came from the table.
    const kOldNames = { rating: 'vdsRating', lp: 'lpMicrohenry' };

    // Rows restored together are numbered once, after the last: the page
    // starts in time whatever was kept.
    function addOutput(values, number = true) {
        const row = outputRows.insertRow();
        const head = document.createElement('th');
        head.scope = 'row';
        row.append(head);
        values.forEach((value, column) => {
            const input = document.createElement('input');
            input.inputMode = 'decimal';
            input.size = 6;
            input.value = value;
            if (outputColumns[column].blank) input.placeholder = outputColumns[column].blank;
            row.insertCell().append(input);
        });
        if (number) numberRows();
    }

    function numberRows() {
        [...outputRows.rows].forEach((row, i) => {
            row.cells[0].textContent = i === 0 ? '稳压' : String(i + 1);
            row.querySelectorAll('input').forEach((input, column) => {
                input.setAttribute('aria-label', `输出 ${i + 1} ${kColumns[column]}`);
            });
        });
    }

    function outputsText() {
        return [...outputRows.rows]
            .map((row) => [...row.querySelectorAll('input')].map((input) => input.value.trim()))
            .filter((cells) => cells.some((cell) => cell !== ''))
            .map((cells) => cells.join(':').replace(/:+$/, ''))
            .join(';');
    }

    // Only the value boxes of the chosen ways are shown.
    function showChosen() {
        $('ChoicesBody').hidden = !$('ChoicesOn').checked;
        for (const label of $('ChoicesBody').querySelectorAll('[data-source]')) {
            label.hidden = label.dataset.source !== boxes.vorSource.value;
        }
        for (const label of $('ChoicesBody').querySelectorAll('[data-mode]')) {
            label.hidden = label.dataset.mode !== boxes.conduction.value;
        }
    }

    function chosen() {
        if (!$('ChoicesOn').checked) return { outputs: '' };
        const values = Object.fromEntries(
            Object.entries(boxes).map(([name, box]) => [name, box.value.trim()]));
        return { ...values, outputs: outputsText() };
    }

    function apply() {
        showChosen();
        const { problem, choice } = engine.page.setPlanChoices(chosen());
        $('ChProblem').hidden = !problem;
        $('ChProblem').textContent = problem ? '设计选择有误：' + problem : '';
        for (const [name, box] of Object.entries({ ...boxes, outputs: $('ChOutputs') })) {
            if (problem && choice === name) box.setAttribute('aria-invalid', 'true');
            else box.removeAttribute('aria-invalid');
        }
        // The plan below is of the choices before, until this one is mended.
        if (problem) $('winding').dataset.optionsStale = 'true';
        else delete $('winding').dataset.optionsStale;
        if (problem) return;
        const store = Object.fromEntries(Object.entries(boxes).map(([name, box]) => [name, box.value]));
        store.on = $('ChoicesOn').checked;
        store.outputs = [...outputRows.rows].map(
            (row) => [...row.querySelectorAll('input')].map((input) => input.value));
        try {
            localStorage.setItem(kStore, JSON.stringify(store));
        } catch {
            // a page without storage forgets its choices: nothing else is lost
        }
        replan();
    }

    let kept = {};
    try {
        kept = JSON.parse(localStorage.getItem(kStore)) || {};
    } catch {
        kept = {};
    }
    for (const [old, name] of Object.entries(kOldNames)) {
        if (typeof kept[old] === 'string' && !(name in kept)) kept[name] = kept[old];
    }
    for (const [name, box] of Object.entries(boxes)) {
        if (typeof kept[name] === 'string') box.value = kept[name];
    }
    if (Array.isArray(kept.outputs)) {
        for (const row of kept.outputs) {
            // Kept before outputs had a least load: three cells.
            if (Array.isArray(row) && (row.length === 3 || row.length === 4)) {
                addOutput(outputColumns.map((column, i) => String(row[i] ?? '')), false);
            }
        }
        numberRows();
    }
    $('ChoicesOn').checked = kept.on === true;
    $('ChAddOutput').addEventListener('click', () => {
        addOutput(engine.page.newOutput(page.lastTexts ?? page.texts(), outputsText()));
        apply();
    });
    $('ChRemoveOutput').addEventListener('click', () => {
        const last = outputRows.rows.length - 1;
        if (last < 0) return;
        outputRows.deleteRow(last);
        numberRows();
        apply();
    });
    $('WindingChoices').addEventListener('change', apply);
    $('WindingChoices').addEventListener('submit', (event) => event.preventDefault());
    showChosen();
    if (engine.page.setPlanChoices(chosen()).problem) {  // kept choices no longer valid
        $('ChoicesOn').checked = false;
        showChosen();
        engine.page.setPlanChoices(chosen());
    }
};
