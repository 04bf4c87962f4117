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

const native = spawnSync(calcPath, ['--jsonl'], { input: cases.join('\n') + '\n' });
const answers = native.stdout.toString('utf8').split('\n');
let mismatches = 0;
cases.forEach((line, i) => {
    const answer = engine.pressJson(line);
    if (answer === answers[i]) return;
    if (++mismatches <= 5) {
        console.error(`request ${JSON.stringify(line)}\n  native: ${answers[i]}\n  engine: ${answer}`);
    }
});
console.log(`${cases.length} requests, ${mismatches} answers differ from the native ones`);
process.exit(mismatches === 0 && answers.length === cases.length + 1 ? 0 : 1);
