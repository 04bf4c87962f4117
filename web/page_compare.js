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

    // The candidate's core, material and turns become the plan's; the plan
    // above follows, as after any change of its options.
    function open(row) {
        $('OptCore').value = row.core;
        $('OptMaterial').value = row.material;
        $('WindingOptions').dispatchEvent(new Event('change'));
        $('ChoicesOn').checked = true;
        $('ChVorSource').value = '0';  // the turns set it
        $('ChTurns').value = row.turns;
        $('WindingChoices').dispatchEvent(new Event('change'));
        $('winding').scrollIntoView();
    }

    function compare() {
        let advice;
        try {
            advice = engine.page.advise(page.lastTexts);
        } catch (error) {  // never a silent freeze: whatever failed is said
            $('CompareSummary').textContent = '比较失败：' + String(error && error.message || error);
            $('CompareRun').disabled = false;
            return;
        }
        $('CompareSummary').textContent = advice.summary + '。';
        fillTable($('CompareTop'), advice.headings, advice.top);
        fillTable($('CompareFront'), advice.headings, advice.front);
        $('ComparePlot').replaceChildren(picture(advice.svg));
        $('CompareRun').disabled = false;
    }

    $('CompareRun').addEventListener('click', () => {
        $('CompareRun').disabled = true;
        $('CompareSummary').textContent = '正在比较……';
        setTimeout(compare, 30);  // the words above are shown before the work starts
    });
    // A comparison is of a press: possible after the first, and shown only
    // for the press it was made for.
    page.afterPress.push(() => {
        $('CompareRun').disabled = false;
        $('CompareSummary').textContent = '';
        fillTable($('CompareTop'), [], []);
        fillTable($('CompareFront'), [], []);
        $('ComparePlot').replaceChildren();
    });
};
