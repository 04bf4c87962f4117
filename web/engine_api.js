// Added to the engine's module: its functions as JavaScript takes them,
// strings in and strings out.
//   engine.pressJson(line, {details})
//                             the answer flyback-calc --jsonl writes for the
//                             line, or --jsonl --details with {details: true}
//   engine.pressTexts(texts, {details})
//                             a press of six texts as the window makes it:
//                             {answer, faultMessage, suspectInput}, in one
//                             calculation; the answer as pressJson's
//   engine.boxes()            the box table: {inputs, results}, captions and symbols
//   engine.maxInputText       the longest text, in UTF-8 bytes, a box takes
//   engine.textTooLongMessage what the window says of a longer one
//   engine.howToCalculate     what Enter in an input box says
//   engine.page               what the page shows, each in one call:
//     .press(texts)             a press: {answer (with details), faultMessage,
//                               suspectInput, notes, working, winding (its
//                               pictures, the sheet and its schematic apart)}
//     .inputWarnings(texts)     the warnings of the texts as typed
//     .report(texts, date, lastPress)   {name, html}: the report, winding plan included
//     .copy(texts, date, lastPress)     {text, html} for the clipboard
//     .setPlanChoices(choices)  the plan's design choices; {problem, box, choice}:
//     .setPlanOptions(options)  the winding plan's options; {problem, box, option}:
//                               what is wrong ('' if nothing), the text and the
//                               option's name it is in
//     .setPins(text)            the build sheet's pins "1,3,6"; {problem}
//     .newOutput(texts, outputs)  the texts of the row 添加输出 adds: the press's
//                               own output first, then each the power left
//     .setPictureWidth(px)      the width the pictures are drawn for from now on
//                               (300 to 680 CSS pixels; a phone's room)
//     .dcFromMains({minAc, maxAc, lineHz, bulk, holdup, power, efficiency})
//                               the two DC input voltages from the mains:
//                               {problem, vmax, vmin, mains, text}
//     .saveDesign(texts)        {name, text, error}: the design file (MAS JSON)
//     .spice(texts)             {name, text, error}: the ngspice netlist
//     .openDesign(text)         {error, texts, options, choices, pins, notes, foreign,
//                               fileParts}; the page plans on the file's own
//                               core and material, where it gives them, from now on
//     .takeFileParts(text)      a design file's own core and material taken again
//                               (the file kept after a reload): {error}
//     .parts()                  the cores, families and materials, defaults, and
//                               what "关于" says
//     .coreFamilies()           the 自定义磁芯 dialog's words {title, familyCaption,
//                               hint, neededHint, optionalHint} and families
//                               [{family, caption, fields [{letter, caption,
//                               optional}], svg}]
//     .typedCore(family, fields) the core typed letters give ([{letter, text}]):
//                               {name (the plan's core to set), lines, problem}
//     .sweep(texts, range, withPlan, columns)  {csv, tsv, svg} or {problem};
//                               the plot `columns` panels across (default 2)
//     .advise(texts, materials, rank, numbers) the adviser with the plan's
//                               options and choices, weighing `materials` (names;
//                               none: the plan's), ranked by `rank` (its place in
//                               parts().rankCaptions; empty: the adviser's own),
//                               with `numbers` as texts in parts().settingNumbers'
//                               order (empty: the adviser's own): {json
//                               (flyback-calc --advise --json), summary, headings,
//                               top, front (each {cells, core, material, turns}),
//                               svg}, or {problem, box} for a number refused
(function () {
    const encoder = new TextEncoder();
    const decoder = new TextDecoder();
    // The engine runs only once the module has started, after this script.
    let maxRequestLine;
    const limit = () => (maxRequestLine ??= Module['_flyback_max_request_line']());

    // Writes the line into the engine's request buffer; returns its size.
    function putRequest(line) {
        const room = line.length * 3;  // UTF-8 takes at most 3 bytes a UTF-16 unit
        const buffer = Module['_flyback_request_buffer'](room);
        return encoder.encodeInto(line, HEAPU8.subarray(buffer, buffer + room)).written;
    }

    function answer() {
        const start = Module['_flyback_answer']();
        return decoder.decode(HEAPU8.subarray(start, start + Module['_flyback_answer_size']()));
    }

    // A line of more UTF-16 units than the limit has more bytes than it too:
    // it is answered without being copied into the engine.
    const tooLong = (line) => line.length > limit();

    Module['pressJson'] = function (line, options) {
        const details = Boolean(options && options.details);
        if (tooLong(line)) {
            Module['_flyback_answer_too_long'](details);
        } else {
            Module['_flyback_press_json'](putRequest(line), details);
        }
        return answer();
    };
    // A lone surrogate (which a text box can hold) is no Unicode character;
    // it becomes U+FFFD, as the window's conversion to UTF-8 makes it.
    const wellFormed = (text) =>
        text.replace(/[\uD800-\uDBFF](?![\uDC00-\uDFFF])|(?<![\uD800-\uDBFF])[\uDC00-\uDFFF]/g,
                     '\uFFFD');

    Object.defineProperty(Module, 'maxInputText', { get: limit });  // one bound for both
    Object.defineProperty(Module, 'textTooLongMessage', {
        get() {
            Module['_flyback_text_too_long_message']();
            return answer();
        },
    });
    Object.defineProperty(Module, 'howToCalculate', {
        get() {
            Module['_flyback_how_to_calculate']();
            return answer();
        },
    });

    Module['boxes'] = function () {
        Module['_flyback_boxes_json']();
        return JSON.parse(answer());
    };

    // The texts one after the other in the request buffer, their sizes beside;
    // the slots after them empty.
    function putTexts(texts) {
        const kMostTexts = Module['_flyback_most_texts']();
        const whole = texts.map(wellFormed);
        const room = whole.reduce((sum, text) => sum + text.length * 3, 0);
        const buffer = Module['_flyback_request_buffer'](room);
        const sizes = Module['_flyback_text_sizes']() / 4;  // size_t is 32 bits here
        let offset = 0;
        for (let i = 0; i < kMostTexts; ++i) {
            const text = i < whole.length ? whole[i] : '';
            const written =
                encoder.encodeInto(text, HEAPU8.subarray(buffer + offset, buffer + room)).written;
            HEAPU32[sizes + i] = written;
            offset += written;
        }
    }

    let choiceNames;  // the choices' texts in the engine's order, from its table
    let optionNames;  // the options' texts in the engine's order, the numbers from their table
    Module['page'] = {
        press(texts) {
            putTexts(texts);
            Module['_flyback_press_page']();
            return JSON.parse(answer());
        },
        inputWarnings(texts) {
            putTexts(texts);
            Module['_flyback_input_warnings']();
            return JSON.parse(answer());
        },
        report(texts, date, lastPress) {
            putTexts([...texts, date]);
            Module['_flyback_report'](Boolean(lastPress));
            return JSON.parse(answer());
        },
        copy(texts, date, lastPress) {
            putTexts([...texts, date]);
            Module['_flyback_copy'](Boolean(lastPress));
            return JSON.parse(answer());
        },
        setPlanOptions(o) {
            // The texts in the engine's order; a problem's text number back to
            // the option's name.
            optionNames ??= ['core', 'families', 'material', 'stack',
                             ...Module.page.parts().listOptions.map((info) => info.key),
                             ...Module.page.parts().numberOptions.map((info) => info.key)];
            const names = optionNames;
            putTexts(names.map((name) => name === 'families' ? o.families.join(',')
                : String(o[name] ?? '')));
            Module['_flyback_set_plan_options']();
            const { problem, box } = JSON.parse(answer());
            return { problem, box, option: box >= 0 ? names[box] : null };
        },
        setPlanChoices(c) {
            // The texts in the engine's order (the table's numbers after the
            // outputs, the two ways and the turns); a problem's text number
            // back to the choice's name.
            choiceNames ??= ['outputs', 'vorSource', 'conduction', 'turns',
                             ...Module.page.parts().choiceNumbers.map((info) => info.key)];
            putTexts(choiceNames.map((name) => String(c[name] ?? '')));
            Module['_flyback_set_plan_choices']();
            const { problem, box } = JSON.parse(answer());
            return { problem, box, choice: box >= 0 ? choiceNames[box] : null };
        },
        saveDesign(texts) {
            putTexts(texts);
            Module['_flyback_save_design']();
            return JSON.parse(answer());
        },
        spice(texts) {
            putTexts(texts);
            Module['_flyback_spice']();
            return JSON.parse(answer());
        },
        openDesign(text) {
            putTexts([text]);
            Module['_flyback_open_design']();
            return JSON.parse(answer());
        },
        takeFileParts(text) {
            putTexts([text]);
            Module['_flyback_take_file_parts']();
            return JSON.parse(answer());
        },
        dcFromMains(m) {
            putTexts([m.minAc, m.maxAc, m.lineHz, m.bulk, m.holdup, m.power, m.efficiency]
                .map((text) => String(text ?? '')));
            Module['_flyback_dc_from_mains']();
            return JSON.parse(answer());
        },
        setPictureWidth(width) {
            Module['_flyback_set_picture_width'](Number(width));
            return { problem: '' };
        },
        newOutput(texts, outputs) {
            putTexts([...texts, outputs]);
            Module['_flyback_new_output']();
            return JSON.parse(answer()).row;
        },
        setPins(text) {
            putTexts([text]);
            Module['_flyback_set_pins']();
            return JSON.parse(answer());
        },
        parts() {
            Module['_flyback_parts']();
            return JSON.parse(answer());
        },
        coreFamilies() {
            Module['_flyback_core_families']();
            return JSON.parse(answer());
        },
        typedCore(family, fields) {
            putTexts([family, fields.map((f) => f.letter).join(','),
                      ...fields.map((f) => String(f.text ?? ''))]);
            Module['_flyback_typed_core']();
            return JSON.parse(answer());
        },
        advise(texts, materials = [], rank = '', numbers = []) {
            putTexts([...texts, materials.join(','), String(rank), ...numbers.map(String)]);
            Module['_flyback_advise']();
            return JSON.parse(answer());
        },
        sweep(texts, range, withPlan, columns = 2) {
            putTexts([...texts, range]);
            Module['_flyback_sweep'](Boolean(withPlan), columns);
            return JSON.parse(answer());
        },
    };

    Module['pressTexts'] = function (texts, options) {
        putTexts(texts);
        const suspectInput = Module['_flyback_press_texts'](Boolean(options && options.details));
        const [line, faultMessage] = answer().split(/\n([^]*)/);
        return { answer: JSON.parse(line), faultMessage: faultMessage || '', suspectInput };
    };
})();
