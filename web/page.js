'use strict';
// The page's behaviour. It only moves texts: each press hands the six input
// texts to the engine (flyback-calc's calculation, compiled to WebAssembly) in
// one call and writes the answer into the boxes. Every number rule lives in
// the engine; texts go into the page as text, never as markup.
(async function () {
    const inputs = [0, 1, 2, 3, 4, 5].map((i) => document.getElementById('Text1_' + i));
    const results = [0, 1, 2, 3, 4, 5, 6].map((i) => document.getElementById('Text2_' + i));
    const button = document.getElementById('Command1');
    const dialog = document.getElementById('FaultDialog');
    const message = document.getElementById('FaultMessage');
    const engine = await createEngine();
    const encoder = new TextEncoder();

    // After a fault, the input the message names has the focus, selected.
    let suspect = -1;
    dialog.addEventListener('close', () => {
        if (suspect < 0) return;
        inputs[suspect].focus();
        inputs[suspect].select();
    });

    function tell(text, input) {
        message.textContent = text;
        suspect = input;
        dialog.showModal();
    }

    // As in the window, a box takes a text of up to what the command line
    // reads; a longer paste is refused whole, with a word, rather than cut.
    const fits = (text) => text.length * 3 <= engine.maxInputText ||
                           encoder.encode(text).length <= engine.maxInputText;
    for (const [i, box] of inputs.entries()) {
        let accepted = box.value;
        box.addEventListener('input', () => {
            if (fits(box.value)) {
                accepted = box.value;
                return;
            }
            box.value = accepted;
            tell(engine.textTooLongMessage, i);
        });
    }

    function press() {
        const press = engine.pressTexts(inputs.map((box) => box.value));
        const written = new Set();
        for (const result of press.answer.results) {  // in the order they were computed
            results[result.box].value = result.text;
            results[result.box].scrollLeft = 0;  // long texts show their beginning
            written.add(result.box);
        }
        if (press.answer.error === null) return;
        // The boxes the calculation did not reach would show other inputs' values.
        results.forEach((box, i) => { if (!written.has(i)) box.value = ''; });
        tell(press.faultMessage || press.answer.error.message, press.suspectInput);
    }

    button.addEventListener('click', press);
    button.disabled = false;
    button.focus();
    document.documentElement.dataset.ready = String(performance.now());
})();
