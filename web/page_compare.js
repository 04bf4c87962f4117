'use strict';
// 方案比较: the adviser weighs every core, material and turns pair of the
// catalogue as a plan, with the plan's options and choices, for the last
// press. The best by loss and the front as tables, the chart as SVG; a row's
// 打开 opens its plan above, as the window's double click does.
// A part of the page's behaviour (page.js starts it, last).
window.FlybackPage = window.FlybackPage || {};
window.FlybackPage.compare = function (page) {
    const { $, engine, picture } = page;

    function fillTable(table, headings, rows) {
        table.hidden = rows.length === 0;
        table.tHead.rows[0].replaceChildren(...[...headings, ''].map((heading) => {
            const th = document.createElement('th');
            th.textContent = heading;
            return th;
        }));
        table.tBodies[0].replaceChildren(...rows.map((row) => {
            const tr = document.createElement('tr');
            for (const text of row.cells) tr.insertCell().textContent = text;
            const button = document.createElement('button');
            button.type = 'button';
            button.textContent = '打开';
            button.setAttribute('aria-label', `打开 ${row.cells[0]} ${row.cells[1]} ${row.turns}`);
            button.addEventListener('click', () => open(row));
            tr.insertCell().append(button);
            return tr;
        }));
    }

    // The materials a buyer can get, each with loss data, to weigh instead of
    // the plan's own; none checked weighs the plan's material alone.
    for (const name of page.parts.weighableMaterials) {
        const label = document.createElement('label');
        const box = document.createElement('input');
        box.type = 'checkbox';
        box.value = name;
        label.append(box, ' ' + name);
        $('CompareMaterials').append(label);
    }
    // How the candidates are ranked, the adviser's own at first; kept.
    const kRankStore = 'flyback-designer.compareRank';
    $('CompareRankCaption').textContent = page.parts.rankCaption;
    page.parts.rankCaptions.forEach((caption, i) => $('CompareRank').add(new Option(caption, String(i))));
    $('CompareRank').value = page.parts.rank;
    try {
        const kept = localStorage.getItem(kRankStore);
        if ([...$('CompareRank').options].some((option) => option.value === kept))
            $('CompareRank').value = kept;
    } catch {
        // a page without storage ranks by the adviser's own
    }
    $('CompareRank').addEventListener('change', () => {
        try {
            localStorage.setItem(kRankStore, $('CompareRank').value);
        } catch {
            // not kept: nothing else is lost
        }
    });
    // The adviser's numbers from its rows: the weights, read only by the
    // weighted rank, then how many to list; kept as typed.
    const kNumbersStore = 'flyback-designer.compareNumbers';
    const numberBoxes = {};
    let keptNumbers = {};
    try {
        keptNumbers = JSON.parse(localStorage.getItem(kNumbersStore)) || {};
    } catch {
        // a page without storage starts from the adviser's own
    }
    const weightsLabel = document.createElement('span');
    weightsLabel.textContent = page.parts.weightsCaption;
    $('CompareNumbers').append(weightsLabel, ' ');
    for (const info of page.parts.settingNumbers) {
        const id = 'Compare' + info.key[0].toUpperCase() + info.key.slice(1);
        const { label, input } = page.tableBox(info, id);
        input.value = typeof keptNumbers[info.key] === 'string' ? keptNumbers[info.key] : info.first;
        input.dataset.weight = String(info.weight);
        // A weight is named as one: "权重 损耗 (/W)", not "损耗" alone.
        if (info.weight) input.setAttribute('aria-label', `${page.parts.weightsCaption} ${label.textContent.trim()}`);
        input.addEventListener('input', () => {
            keptNumbers[info.key] = input.value;
            try {
                localStorage.setItem(kNumbersStore, JSON.stringify(keptNumbers));
            } catch {
                // not kept: nothing else is lost
            }
        });
        numberBoxes[info.key] = input;
        $('CompareNumbers').append(label, ' ');
    }
    function showWeights() {
        const weighted = $('CompareRank').value === page.parts.weightedRank;
        for (const input of Object.values(numberBoxes))
            if (input.dataset.weight === 'true') input.disabled = !weighted;
    }
    $('CompareRank').addEventListener('change', showWeights);
    showWeights();
    const numberTexts = () => page.parts.settingNumbers.map((info) => numberBoxes[info.key].value.trim());

    function checkedMaterials() {
        return [...$('CompareMaterials').querySelectorAll('input:checked')].map((box) => box.value);
    }

    // The candidate's core, material and turns become the plan's; the plan
    // above follows, as after any change of its options.
    function open(row) {
        const wasStale = $('compare').dataset.optionsStale === 'true';
        $('OptCore').value = row.core;
        $('OptMaterial').value = row.material;
        $('WindingOptions').dispatchEvent(new Event('change'));
        $('ChoicesOn').checked = true;
        $('ChVorSource').value = '0';  // the turns set it
        $('ChTurns').value = row.turns;
        $('WindingChoices').dispatchEvent(new Event('change'));
        // A candidate opened is the comparison's own: it stays up to date,
        // unless it was out of date already.
        if (!wasStale && comparedWith !== null) comparedWith = settingsKey();
        markStale();
        $('winding').scrollIntoView();
    }

    // The adviser plans every candidate: a second or more of work, done in a
    // worker so that the page keeps answering. The worker runs the same
    // engine, taken from the page's own script (a page opened from disk may
    // load no other file into a worker), with the plan's options and choices
    // as the page last set them.
    let worker = null;
    let asked = 0;  // the comparison shown is of the last one asked for
    function startWorker() {
        const source = `var _scriptDir; var createEngine = ${createEngine.toString()};
            const ready = createEngine();
            onmessage = async (event) => {
                const engine = await ready;
                const { id, texts, settings, materials, rank, numbers } = event.data;
                try {
                    for (const [name, value] of Object.entries(settings)) engine.page[name](value);
                    postMessage({ id, advice: engine.page.advise(texts, materials, rank, numbers) });
                } catch (error) {
                    postMessage({ id, error: String(error && error.message || error) });
                }
            };`;
        const url = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
        worker = new Worker(url);
        URL.revokeObjectURL(url);
        worker.onmessage = (event) => {
            if (event.data.id !== asked) return;  // a press came between
            if (event.data.error) failed(event.data.error);
            else if (event.data.advice.problem) refused(event.data.advice);
            else show(event.data.advice);
        };
        worker.onerror = (event) => {
            event.preventDefault();
            worker = null;
            failed(event.message);
        };
    }

    // A number refused: said, its box marked; the last comparison stays.
    function refused(answer) {
        const box = numberBoxes[answer.box];
        box.setAttribute('aria-invalid', 'true');
        box.addEventListener('input', () => box.removeAttribute('aria-invalid'), { once: true });
        $('CompareSummary').textContent = answer.problem;
        $('CompareRun').disabled = false;
    }

    function failed(message) {  // never a silent freeze: whatever failed is said
        $('CompareSummary').textContent = '比较失败：' + message;
        $('CompareRun').disabled = false;
    }

    // The settings the comparison asked for and the one shown was weighed
    // with: once the plan's options or choices change, it is out of date.
    // (The pictures' width is no option of the plan.)
    let asking = null, comparedWith = null, shownSummary = '';
    let askedRank = '';  // the rank the comparison asked for was ranked by
    const settingsKey = () => JSON.stringify(
        [page.planSettings.setPlanOptions, page.planSettings.setPlanChoices]);
    // Likewise the ranking's own settings: the rank, the weights, the count.
    let askingRanking = null, rankedWith = null;
    const rankingKey = () => JSON.stringify([$('CompareRank').value, numberTexts()]);
    function markStale() {
        const stale = comparedWith !== null && settingsKey() !== comparedWith;
        const reRanked = comparedWith !== null && rankingKey() !== rankedWith;
        if (stale || reRanked) $('compare').dataset.optionsStale = 'true';
        else delete $('compare').dataset.optionsStale;
        let said = shownSummary;
        if (stale) {
            said = '已过时：选项在比较之后已更改，下列结果按更改前的选项；请重新比较。' +
                   '打开一行按现在的选项采用它的磁芯、材料与匝数。' + shownSummary;
        } else if (reRanked) {
            said = '已过时：排序、权重或列出个数在比较之后已更改，下列结果按更改前的设置；' +
                   '请重新比较。' + shownSummary;
        }
        $('CompareSummary').textContent = said;
    }
    for (const form of ['WindingOptions', 'WindingChoices']) {
        $(form).addEventListener('change', () => {
            if (comparedWith !== null) markStale();
        });
    }
    for (const box of [$('CompareRank'), ...Object.values(numberBoxes)]) {
        box.addEventListener('input', () => {
            if (comparedWith !== null) markStale();
        });
    }

    function show(advice) {
        // Why the first won ends its own sentence; a summary without one does not.
        const summary = advice.summary;
        comparedWith = asking;
        rankedWith = askingRanking;
        shownSummary = summary;
        markStale();
        $('CompareTopCaption').textContent = `排在前列的方案（${page.parts.rankCaption}：${askedRank}）`;
        fillTable($('CompareTop'), advice.headings, advice.top);
        fillTable($('CompareFront'), advice.headings, advice.front);
        $('ComparePlot').replaceChildren(picture(advice.svg));
        $('CompareRun').disabled = false;
    }

    function compare() {
        asked += 1;
        try {
            if (!worker) startWorker();
            asking = settingsKey();
            askingRanking = rankingKey();
            askedRank = $('CompareRank').selectedOptions[0].text;
            worker.postMessage({ id: asked, texts: page.lastTexts, settings: page.planSettings,
                                 materials: checkedMaterials(), rank: $('CompareRank').value,
                                 numbers: numberTexts() });
        } catch (error) {
            failed(String(error && error.message || error));
        }
    }

    $('CompareRun').addEventListener('click', () => {
        $('CompareRun').disabled = true;
        $('CompareSummary').textContent = '正在比较……';
        compare();
    });
    // A comparison is of a press: possible after the first, and shown only
    // for the press it was made for.
    // A design kept from before a reload was pressed before this part started.
    if (page.lastTexts !== null) {
        $('CompareRun').disabled = false;
        $('CompareSummary').textContent = '';
    }
    page.afterPress.push(() => {
        asked += 1;
        comparedWith = null;
        shownSummary = '';
        delete $('compare').dataset.optionsStale;
        $('CompareRun').disabled = false;
        $('CompareSummary').textContent = '';
        fillTable($('CompareTop'), [], []);
        fillTable($('CompareFront'), [], []);
        $('ComparePlot').replaceChildren();
    });
};
