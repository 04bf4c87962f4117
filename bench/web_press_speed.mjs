// Lines a second that the WebAssembly engine's pressJson answers under Node,
// on the same kinds of requests as bench/jsonl_throughput.sh: valid only, and
// one line in fifty faulting; and the page's press with its record. Best of
// three rounds.
//   node bench/web_press_speed.mjs build/web/flyback-engine.mjs [LINES]
import { resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const [enginePath, count = '200000'] = process.argv.slice(2);
const createEngine = (await import(pathToFileURL(resolve(enginePath)).href)).default;
const engine = await createEngine();
const lines = Number(count);

const P = ['5', '12.5', '24', '35', '60', '75.5', '100', '150W'];
const VMAX = ['264', '311', '368', '375V', '400'];
const VMIN = ['85', '100', '120', '200', '250V'];
const F = ['20', '50', '65', '100kHz', '132'];
const ETA = ['70', '75', '82', '88%'];
const VO = ['3.3', '5', '12', '24V'];
const FAULTS = ['["60","368","200","","75","5"]', '["0","368","200","20","75","5"]',
                '["-60","368","200","20","75","5"]'];
const valid = [];
const mix = [];
for (let i = 0; i < lines; ++i) {
    const line = JSON.stringify([P[i % 8], VMAX[Math.floor(i / 8) % 5], VMIN[Math.floor(i / 40) % 5],
                                 F[Math.floor(i / 200) % 5], ETA[Math.floor(i / 1000) % 4],
                                 VO[Math.floor(i / 4000) % 4]]);
    valid.push(line);
    mix.push(i % 50 === 25 ? FAULTS[Math.floor(i / 50) % 3] : line);
}

for (const [name, requests] of [['valid', valid], ['mix', mix]]) {
    let best = Infinity;
    for (let round = 0; round < 3; ++round) {
        const start = process.hrtime.bigint();
        let bytes = 0;
        for (const request of requests) bytes += engine.pressJson(request).length;
        const seconds = Number(process.hrtime.bigint() - start) / 1e9;
        if (bytes > 0) best = Math.min(best, seconds);
    }
    console.log(`pressJson ${name.padEnd(5)} ${Math.round(lines / best)} lines/s`);
}

// The page's press: six texts to the answer with the whole record, the fault
// message and the input to check, in one call (parsed as the page parses it).
{
    const presses = valid.slice(0, 20000).map((line) => JSON.parse(line));
    let best = Infinity;
    for (let round = 0; round < 3; ++round) {
        const start = process.hrtime.bigint();
        for (const texts of presses) engine.pressTexts(texts, { details: true });
        best = Math.min(best, Number(process.hrtime.bigint() - start) / 1e9);
    }
    console.log(`pressTexts with details: ${(best / presses.length * 1e6).toFixed(1)} µs a press`);
}

// The page's 方案比较: the adviser over the whole catalogue for the three
// example supplies, best of three, against the native flyback-advise-bench.
for (const texts of [['12', '375', '120', '65', '80', '12'], ['10', '373', '127', '100', '80', '5'],
                     ['60', '373', '249', '100', '80', '24']]) {
    let best = Infinity;
    for (let round = 0; round < 3; ++round) {
        const start = process.hrtime.bigint();
        engine.page.advise(texts);
        best = Math.min(best, Number(process.hrtime.bigint() - start) / 1e9);
    }
    console.log(`advise ${texts.join(' ')}: ${(best * 1e3).toFixed(0)} ms`);
}
