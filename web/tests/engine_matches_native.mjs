// The WebAssembly engine against the native flyback-calc --jsonl: every answer
// of pressJson must be the native answer, byte for byte, for the requests of
// the fuzzing seeds (taken from the test tables) and a few thousand generated
// ones.
//   node web/tests/engine_matches_native.mjs ENGINE.mjs FLYBACK_CALC SOURCE_DIR
import { spawnSync } from 'node:child_process';
import { readdirSync, readFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const [enginePath, calcPath, sourceDir] = process.argv.slice(2);
const createEngine = (await import(pathToFileURL(resolve(enginePath)).href)).default;
const engine = await createEngine();

// Texts the engine's test tables read: units, blanks, signs, exponents,
// full-width forms, numbers too large or too small, texts without a number.
const texts = [
    '60', '368', '200', '20', '75', '5', '', ' ', '0', '-0', '-5', '60W', '1 000', '- 5', '+5',
    '1.5.3', '.5', '5.', '1,5', '1_000', '1e3', '1E+3', '1e-3', '1e', '2.5E-1', '0.29', '1.15',
    '9007199254740993', '1e308', '1e999', '-1e400', '3e-324', '1e-400', 'abc', 'Infinity',
    '６０', '１．５', '1。5', '－５', '６０Ｗ', '\u3000７', '12.5', '390', '120', '65', '82',
    '3.3', '100', '1', '1000', '0.8', '65000', '150', '0.001', '1e306', '1e-15', '\t7\n',
];
const cases = [];
let seed = 20261207;
const random = (n) => {  // a fixed sequence, so that a failure can be repeated
    seed = (seed * 1103515245 + 12345) % 2147483648;
    return seed % n;
};
for (let i = 0; i < 5000; ++i) {
    const six = Array.from({ length: 6 }, () => texts[random(texts.length)]);
    cases.push(random(10) === 0 ? `[${six.map((t) => t.trim() || '0').join(',')}]`
                                : JSON.stringify(six));
}
cases.push('', '[1,2]', '{"P":"60"}', '[["60"],"1","2","3","4","5"]', '["1","2","3","4","5"]x');
for (const dir of ['fuzz/corpus/jsonl']) {
    for (const name of readdirSync(join(sourceDir, dir))) {
        for (const line of readFileSync(join(sourceDir, dir, name), 'utf8').split('\n')) {
            if (line !== '') cases.push(line);
        }
    }
}

// The golden corpus too, whose answers are held to the bit natively.
for (const line of readFileSync(join(sourceDir, 'cli/tests/golden/requests.jsonl'), 'utf8')
    .split('\n')) {
    if (line !== '') cases.push(line);
}

const nativeAnswers = (args) =>
    spawnSync(calcPath, args, { input: cases.join('\n') + '\n', maxBuffer: 1 << 30 })
        .stdout.toString('utf8').split('\n');
const answers = nativeAnswers(['--jsonl']);
const detailedAnswers = nativeAnswers(['--jsonl', '--details']);
let mismatches = 0;
cases.forEach((line, i) => {
    for (const [options, expected] of [[undefined, answers[i]], [{ details: true }, detailedAnswers[i]]]) {
        const answer = engine.pressJson(line, options);
        if (answer === expected) continue;
        if (++mismatches <= 5) {
            console.error(`request ${JSON.stringify(line)} ${JSON.stringify(options)}\n` +
                          `  native: ${expected}\n  engine: ${answer}`);
        }
    }
});
console.log(`${cases.length} requests, plain and detailed: ` +
            `${mismatches} answers differ from the native ones`);

// The page's press of six texts gives the same answer as the request of them.
let pressMismatches = 0;
cases.forEach((line, i) => {
    let texts;
    try {
        texts = JSON.parse(line);
    } catch {
        return;
    }
    if (!Array.isArray(texts) || texts.length !== 6 || !texts.every((t) => typeof t === 'string')) {
        return;
    }
    const expected = JSON.stringify(JSON.parse(detailedAnswers[i]));
    const press = engine.pressTexts(texts, { details: true });
    // The page's one call per press carries the same answer beside the rest.
    const page = engine.page.press(texts);
    if (JSON.stringify(press.answer) === expected && JSON.stringify(page.answer) === expected &&
        page.faultMessage === press.faultMessage && page.suspectInput === press.suspectInput) {
        return;
    }
    if (++pressMismatches <= 5) console.error(`pressTexts ${line}: ${JSON.stringify(press)}`);
});
console.log(`pressTexts and page.press: ${pressMismatches} answers differ from the requests' answers`);

// The plan's options the page sets: hostile ones refused with a reason, good
// ones taken; the report and the copy carry the plan.
const planOptions = { core: '', families: [], material: 'N87', bmax: '0.3', density: '5',
                      fill: '0.35', vaux: '', leakage: '2', ambient: '40', tiw: false };
const optionProblems = [];
// Each option as its box shows it (the leakage in %), an empty box its
// default; a refusal in Chinese quoting what was typed, naming its option.
for (const [change, option, quoted] of [[{}, null], [{ bmax: '0' }, 'bmax'],
                                        [{ density: '-1' }, 'density'],
                                        [{ core: 'nonsense' }, 'core', 'nonsense'],
                                        [{ bmax: 'x' }, 'bmax', 'x'],
                                        [{ leakage: 'x' }, 'leakage', '“漏感 / Lp”不是一个数：x'],
                                        [{ leakage: '' }, null], [{ bmax: '' }, null],
                                        [{ core: 'ef 12.6' }, null],
                                        [{ core: 'ee 25' }, 'core', '国内厂商的 EE25/19（目录中没有）与目录中的 E25/13/7 (EF25)'],
                                        [{ core: 'EE99' }, 'core', '最接近的有'],
                                        [{ ambient: '-273' }, 'ambient', '“环境温度”须在 -60 至 150 °C 之间'],
                                        [{ vaux: '15', tiw: true, families: ['E', 'ETD'] }, null],
                                        [{ lpTolerance: '60' }, 'lpTolerance', '“电感公差 ±”须在 0 至 50 % 之间'],
                                        [{ maxRise: '0' }, 'maxRise', '“温升上限”须在 1 至 200 K 之间'],
                                        [{ leakageFactor: '2.5' }, null]]) {
    const answer = engine.page.setPlanOptions({ ...planOptions, ...change });
    if (answer.option !== option || (answer.problem !== '') !== (option !== null) ||
        (quoted && !answer.problem.includes(quoted)) || /--|must/.test(answer.problem)) {
        optionProblems.push(`${JSON.stringify(change)}: ${JSON.stringify(answer)}`);
    }
}
engine.page.setPlanOptions(planOptions);
const sixty = ['60', '373', '249', '100', '80', '24'];
const sixtyPlan = engine.page.press(sixty).winding;
if (sixtyPlan.rows[0][1] !== '50 匝') optionProblems.push('plan of 60 W');
if (sixtyPlan.corners.length !== 6 || sixtyPlan.cornersTitle !== '工作点') {
    optionProblems.push('corners of 60 W');
}
if (!engine.page.copy(sixty, '2026-12-07').text.includes('初级绕组')) optionProblems.push('copy');
const report = engine.page.report(sixty, '2026-12-07');
if (report.name !== '反激变压器_60W_24V_100kHz.html' || !report.html.includes('<svg')) {
    optionProblems.push('report');
}
optionProblems.forEach((problem) => console.error(problem));
console.log(`${optionProblems.length} checks of the plan's options, copy and report failed`);

// The adviser: the page's answer is flyback-calc --advise --json's, byte for
// byte but for the time it took, with the plan's options and choices as the
// flags give them.
const adviceProblems = [];
const withoutTime = (json) => json.replace(/"elapsed_ms":[^,}]*/, '"elapsed_ms":0');
const choiceDefaults = { outputs: '', biasCurrent: '', biasDrop: '', vorSource: '0', vor: '',
                         rating: '', derating: '', dmax: '', conduction: '0', krp: '', lp: '',
                         turns: '', clamp: '', limit: '' };
for (const [texts, options, choices, flags] of [
    [['12', '375', '120', '65', '80', '12'], {}, {}, []],
    [['10', '373', '127', '100', '80', '5'], { vaux: '15', order: '2' },
     { conduction: '1', krp: '0.6' }, ['--winding', '--vaux', '15', '--order', 'P-S-P', '--krp', '0.6']],
    [['60', '373', '249', '100', '80', '24'], { material: '3C95', families: ['PQ', 'ETD'] },
     { vorSource: '3', dmax: '0.45' },
     ['--winding', '--material', '3C95', '--families', 'PQ,ETD', '--dmax', '0.45']],
]) {
    const set = engine.page.setPlanOptions({ ...planOptions, leakage: '', ...options });
    const chosen = engine.page.setPlanChoices({ ...choiceDefaults, ...choices });
    if (set.problem || chosen.problem) adviceProblems.push(`${set.problem} ${chosen.problem}`);
    const native = spawnSync(calcPath, ['--advise', '--json', ...flags, ...texts]).stdout
        .toString('utf8').trimEnd();
    const page = engine.page.advise(texts);
    if (withoutTime(page.json) !== withoutTime(native) || !native.includes('"front":[{')) {
        adviceProblems.push(`--advise ${flags.join(' ')} ${texts.join(' ')}:\n  native: ` +
                            `${native.slice(0, 300)}\n  engine: ${page.json.slice(0, 300)}`);
    }
    if (page.top.length === 0 || page.top[0].cells.length !== page.headings.length ||
        !page.svg.startsWith('<svg') || !page.summary.startsWith('候选 ')) {
        adviceProblems.push(`the page's comparison of ${texts.join(' ')}`);
    }
}
engine.page.setPlanOptions(planOptions);
engine.page.setPlanChoices(choiceDefaults);
adviceProblems.forEach((problem) => console.error(problem));
console.log(`${adviceProblems.length} comparisons differ from flyback-calc --advise --json`);

// Hostile sizes: a request of hundreds of megabytes is answered as too long
// without entering the engine's memory; texts longer than a request line may
// be, and lone surrogates, are pressed as the window presses them.
const problems = [];
const memoryBefore = engine.HEAPU8.length;
const huge = engine.pressJson('["' + 'x'.repeat(300e6) + '"]');
if (!huge.includes('"bad_request"')) problems.push(`huge request: ${huge}`);
if (engine.HEAPU8.length > memoryBefore + 8e6) problems.push('huge request grew the memory');
const long = engine.pressTexts([' '.repeat((1 << 20) - 2) + '60', '368', '200', '', '75', '5']);
if (long.answer.error?.kind !== 'division_by_zero' || long.suspectInput !== 3) {
    problems.push(`long texts: ${JSON.stringify(long)}`);
}
const lone = engine.pressTexts(['\uD800', '368', '200', '20', '75', '5']);
if (JSON.stringify(lone) !==
    JSON.stringify(engine.pressTexts(['\uFFFD', '368', '200', '20', '75', '5']))) {
    problems.push(`lone surrogate: ${JSON.stringify(lone)}`);
}
// The page's captions are the box table's: each label names its box's caption.
const page = readFileSync(join(sourceDir, 'web/index.html'), 'utf8');
const labelOf = (id) => page.match(new RegExp(`<label[^>]*for="${id}">([^<]*)</label>`))?.[1];
const boxes = engine.boxes();
boxes.inputs.forEach((box, i) => {
    if (labelOf(`Text1_${i}`) !== box.caption) problems.push(`Text1_${i}: ${labelOf(`Text1_${i}`)}`);
});
boxes.results.forEach((box) => {
    if (labelOf(`Text2_${box.box}`) !== box.caption) problems.push(`Text2_${box.box} caption`);
    if (!page.includes(`id="Text2_${box.box}" class="row${box.row}"`)) {
        problems.push(`Text2_${box.box} is not in row ${box.row}`);
    }
});
problems.forEach((problem) => console.error(problem));
console.log(`${problems.length} checks of hostile sizes and captions failed`);
const passed = mismatches === 0 && pressMismatches === 0 && problems.length === 0 &&
               optionProblems.length === 0 && adviceProblems.length === 0;
process.exit(passed && detailedAnswers.length === cases.length + 1 ? 0 : 1);
