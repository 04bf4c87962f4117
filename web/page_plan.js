'use strict';
// A press: the boxes, the working, the winding plan and its options.
// A part of the page's behaviour (page.js starts it): it takes what it uses
// from `page` and adds what the other parts call.
window.FlybackPage = window.FlybackPage || {};
window.FlybackPage.plan = function (page) {
    const { $, results, button, engine, parts, texts, tell, showBoxStates } = page;

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
        function fillTable(table, headings, rows, isNumber) {
            table.tHead.rows[0].replaceChildren(...(headings || []).map((heading) => {
                const th = document.createElement('th');
                th.textContent = heading;
                return th;
            }));
            table.tBodies[0].replaceChildren();
            for (const cells of rows || []) {
                const row = table.tBodies[0].insertRow();
                cells.forEach((text, i) => cell(row, text, isNumber(i) ? 'number' : ''));
            }
        }
        $('WindingPremise').textContent = plan.premise;
        // On paper the option boxes are not printed: the options as a line.
        $('WindingOptionsPrinted').textContent =
            '选项：' + (plan.options || []).map(([caption, value]) => caption + ' ' + value).join('；');
        // No plan: why; a plan of a doubtful input: that, first.
        const headline = plan.error || (plan.headlines || []).join('\n');
        $('WindingError').hidden = !headline;
        $('WindingError').textContent = headline;
        fillTable($('WindingTable'), plan.headings, plan.rows, (i) => i === 1 || i > 3);
        fillTable($('WindingCorners'), plan.cornerHeadings, plan.corners, (i) => i > 0 && i !== 3);
        $('WindingCornersTitle').textContent = plan.cornersTitle || '';
        $('WindingCornersTitle').hidden = !plan.corners;
        $('WindingCorners').hidden = !plan.corners;
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
        // The engine's own HTML, every text in it escaped there.
        $('BuildSheet').innerHTML = plan.sheet || '';
        // The schematic under the sheet's title, parsed as SVG like every picture.
        if (plan.schematic) $('BuildSheet').querySelector('h2').after(picture(plan.schematic));
        $('SheetOptions').hidden = !plan.sheet;
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
        page.lastTexts = pressed;
        page.lastPress = answer;
        for (const id of ['CopyDesign', 'SaveReport', 'PrintReport']) $(id).disabled = false;
        showWorking(answer.working);
        showWinding(answer.winding);
        showBoxStates();
        for (const renew of page.afterPress) renew();
        if (answer.answer.error === null) return;
        // The boxes the calculation did not reach would show other inputs' values.
        results.forEach((box, i) => { if (!written.has(i)) box.value = ''; });
        tell(answer.faultMessage || answer.answer.error.message, answer.suspectInput);
    }

    button.addEventListener('click', press);

    // ---- The winding plan's options, kept as the window keeps them -----------

    const optionBoxes = { core: $('OptCore'), material: $('OptMaterial'), stack: $('OptStack') };
    const boxId = (key) => 'Opt' + key[0].toUpperCase() + key.slice(1);
    // The number boxes and lists from the engine's tables of options. An
    // empty number box is the option's "none" where it has one; a list's
    // values are their places.
    const tableDefaults = {};
    const labels = {};
    for (const info of parts.listOptions) {
        const label = document.createElement('label');
        const select = document.createElement('select');
        Object.assign(select, { id: boxId(info.key), autocomplete: 'off' });
        info.captions.forEach((caption, i) => select.add(new Option(caption, info.places[i])));
        label.append(info.caption + ' ', select);
        labels[info.key] = label;
        optionBoxes[info.key] = select;
        tableDefaults[info.key] = info.first;
    }
    for (const info of parts.numberOptions) {
        const { label, input } = page.tableBox(info, boxId(info.key));
        labels[info.key] = label;
        optionBoxes[info.key] = input;
        tableDefaults[info.key] = info.first;
    }
    // The plan's numbers, then its lists, before the stacking's list; the
    // insulation's lists, then its numbers, in their row after the families.
    const ofBlock = (infos, insulation) => infos.filter((info) => info.insulation === insulation);
    for (const info of [...ofBlock(parts.numberOptions, false), ...ofBlock(parts.listOptions, false)])
        optionBoxes.stack.closest('label').before(labels[info.key], ' ');
    for (const info of [...ofBlock(parts.listOptions, true), ...ofBlock(parts.numberOptions, true)])
        $('OptInsulationRow').append(labels[info.key], ' ');
    parts.stackCaptions.forEach((caption, i) => optionBoxes.stack.add(new Option(caption, String(i))));
    parts.cores.forEach((name, i) => optionBoxes.core.add(new Option(parts.coreCaptions[i], name)));
    for (const name of parts.materials) optionBoxes.material.add(new Option(name, name));
    const familyBoxes = parts.families.map((family, i) => {
        const label = document.createElement('label');
        const box = document.createElement('input');
        box.type = 'checkbox';
        box.value = family;
        box.checked = true;
        label.append(box, ' ' + parts.familyCaptions[i]);
        $('OptFamilies').append(label);
        return box;
    });
    const defaults = { core: '', material: parts.material, stack: '0', ...tableDefaults };
    const kStore = 'flyback-designer.winding';
    // Since the build gives the leakage by default, a leakage kept before
    // (the former default of 2 % for everyone who pressed) is not kept; since
    // the insulation's lists are the table's, each is kept by its place.
    const kStoreVersion = 3;
    function readStore() {
        try {
            return JSON.parse(localStorage.getItem(kStore)) || {};
        } catch {
            return {};
        }
    }
    // A store of an earlier page: the grade kept as 0 to 2 with "" for by the
    // input, the material group by its name.
    function keptFromBefore(old) {
        if (old.version !== 2) delete old.leakage;
        if (typeof old.insulation === 'string' && /^[0-2]?$/.test(old.insulation))
            old.insulation = old.insulation === '' ? '0' : String(Number(old.insulation) + 1);
        const groups = parts.listOptions.find((info) => info.key === 'group');
        const place = groups.captions.indexOf(old.group);
        if (place >= 0) old.group = groups.places[place];
        else delete old.group;
    }
    const kept = readStore();
    if (kept.version !== kStoreVersion) keptFromBefore(kept);
    // A core typed by its letters is kept by its name, which the list lacks.
    if (typeof kept.core === 'string') ensureCoreOption(kept.core);
    const keptText = (v) => typeof v === 'string' || typeof v === 'number';
    // Kept before the construction was a list: a tick for triple-insulated wire.
    if (kept.tiw === true && !keptText(kept.construction)) kept.construction = '1';
    for (const [name, box] of Object.entries(optionBoxes)) {
        box.value = keptText(kept[name]) ? kept[name] : defaults[name];
    }
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
            families: chosen.length === familyBoxes.length ? [] : chosen,
        };
    }

    function applyOptions() {
        // None ticked would allow every family: show that as all ticked.
        if (!familyBoxes.some((box) => box.checked)) {
            for (const box of familyBoxes) box.checked = true;
        }
        const { problem, option } = engine.page.setPlanOptions(options());
        $('OptProblem').hidden = !problem;
        $('OptProblem').textContent = problem ? '选项有误：' + problem : '';
        for (const [name, input] of Object.entries(optionBoxes)) {
            if (problem && option === name) {
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
        store.version = kStoreVersion;
        store.families = familyBoxes.filter((box) => box.checked).map((box) => box.value);
        try {
            localStorage.setItem(kStore, JSON.stringify(store));
        } catch {
            // a page without storage forgets its options: nothing else is lost
        }
        replan();
    }

    // The plan of the last press again, with the options and choices as they are now.
    function replan() {
        if (page.lastTexts === null) return;
        page.lastPress = { ...page.lastPress, winding: engine.page.press(page.lastTexts).winding };
        showWinding(page.lastPress.winding);
    }
    $('WindingOptions').addEventListener('change', applyOptions);

    // ---- 自定义磁芯: a core typed by its drawing's letters --------------------

    const coreWords = engine.page.coreFamilies();
    function ensureCoreOption(name) {
        if (name && ![...optionBoxes.core.options].some((option) => option.value === name)) {
            optionBoxes.core.add(new Option(name, name));
        }
    }
    $('TypeCore').textContent = coreWords.title + '…';
    $('TypedCoreTitle').textContent = coreWords.title;
    $('TypedCoreFamilyCaption').textContent = coreWords.familyCaption;
    $('TypedCoreHint').textContent = coreWords.hint;
    for (const f of coreWords.families) $('TypedCoreFamily').add(new Option(f.caption, f.family));
    const typedTexts = {};  // what was typed in a letter the families share stays
    let typedName = '';
    const typedFamily = () => coreWords.families[$('TypedCoreFamily').selectedIndex];
    function showTypedFamily() {
        const family = typedFamily();
        $('TypedCoreDrawing').innerHTML = family.svg;
        $('TypedCoreFields').replaceChildren(...family.fields.map((field) => {
            const label = document.createElement('label');
            const input = document.createElement('input');
            input.autocomplete = 'off';
            input.inputMode = 'decimal';
            input.size = 6;
            input.dataset.letter = field.letter;
            input.value = typedTexts[field.letter] ?? '';
            input.placeholder = field.optional ? coreWords.optionalHint : coreWords.neededHint;
            input.setAttribute('aria-label', `${field.letter} ${field.caption}`);
            const letter = field.optional ? `[${field.letter}]` : field.letter;
            label.append(`${letter} ${field.caption} `, input);
            return label;
        }));
        updateTypedCore();
    }
    function updateTypedCore() {
        const inputs = [...$('TypedCoreFields').querySelectorAll('input')];
        for (const input of inputs) typedTexts[input.dataset.letter] = input.value;
        const made = engine.page.typedCore(typedFamily().family,
            inputs.map((input) => ({ letter: input.dataset.letter, text: input.value })));
        typedName = made.name;
        $('TypedCoreResult').replaceChildren(...(made.name ? [made.name, ...made.lines]
            : [made.problem]).map((line) => {
            const p = document.createElement('p');
            p.textContent = line;
            return p;
        }));
        $('TypedCoreOk').disabled = !made.name;
    }
    $('TypedCoreFamily').addEventListener('change', showTypedFamily);
    $('TypedCoreFields').addEventListener('input', updateTypedCore);
    $('TypeCore').addEventListener('click', () => {
        showTypedFamily();
        $('TypedCoreDialog').showModal();
    });
    // Taken, the core is the plan's, and kept by its name with the options.
    $('TypedCoreDialog').addEventListener('close', () => {
        if ($('TypedCoreDialog').returnValue !== 'ok' || !typedName) return;
        ensureCoreOption(typedName);
        optionBoxes.core.value = typedName;
        applyOptions();
    });
    $('WindingOptions').addEventListener('submit', (event) => event.preventDefault());
    if (engine.page.setPlanOptions(options()).problem) {  // kept options no longer valid
        for (const [name, box] of Object.entries(optionBoxes)) box.value = defaults[name];
        engine.page.setPlanOptions(options());
    }

    // The build sheet's pins, kept apart from the plan's options:
    // they number the windings and change nothing of the plan.
    const kPinsStore = 'flyback-designer.pins';
    function applyPins() {
        const { problem } = engine.page.setPins($('OptPins').value.trim());
        $('PinsProblem').hidden = !problem;
        $('PinsProblem').textContent = problem;
        if (problem) {
            $('OptPins').setAttribute('aria-invalid', 'true');
            return;
        }
        $('OptPins').removeAttribute('aria-invalid');
        try {
            localStorage.setItem(kPinsStore, $('OptPins').value);
        } catch {
            // a page without storage numbers the pins from the defaults next time
        }
        replan();
    }
    $('OptPins').value = parts.pins;
    try {
        const keptPins = localStorage.getItem(kPinsStore);
        if (keptPins !== null) $('OptPins').value = keptPins;
    } catch {
        // no storage: the defaults
    }
    if (engine.page.setPins($('OptPins').value.trim()).problem) $('OptPins').value = parts.pins;
    $('SheetOptions').addEventListener('change', applyPins);
    $('SheetOptions').addEventListener('submit', (event) => {
        event.preventDefault();
        applyPins();
    });

    Object.assign(page, { picture, replan });
};
