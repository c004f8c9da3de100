// The Lensara editor's page: every control sends its edit to the host and shows the
// document as the host answers (values as the effect corrected them, greyed-out rows).
'use strict';

const $ = (id) => document.getElementById(id);
let state = null;
let previewVersion = -1;

let pending = 0;  // requests under way, shown as a busy pointer

async function call(method, path, body) {
  document.body.dataset.pending = ++pending;
  try {
    const response = await fetch(path, {
      method,
      headers: body === undefined ? {} : {'Content-Type': 'application/json'},
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    const answer = await response.json();
    if (!response.ok) throw new Error(answer.error || response.statusText);
    return answer;
  } finally {
    document.body.dataset.pending = --pending;
  }
}

function element(tag, properties, children) {
  const e = Object.assign(document.createElement(tag), properties || {});
  for (const child of children || []) e.append(child);
  return e;
}

// Sends an edit; the row shows the host's refusal next to the field, the document unchanged.
async function edit(name, value, row) {
  try {
    show(await call('POST', '/api/edit', {name, value}));
  } catch (error) {
    row.querySelector('.field-error')?.remove();
    row.append(element('div', {className: 'field-error', textContent: error.message}));
  }
}

function numberInput(p, row) {
  const input = element('input', {type: 'number', value: p.value, step: p.step ?? (p.type === 'long' ? 1 : 'any')});
  if (p.min !== null) input.min = p.min;
  if (p.max !== null) input.max = p.max;
  // Typed but not yet sent: kept when an answer rebuilds the list meanwhile (resumeTyping).
  input.addEventListener('input', () => (input.dataset.typed = '1'));
  input.addEventListener('change', () => {
    delete input.dataset.typed;
    edit(p.name, input.value === '' ? '' : Number(input.value), row);
  });
  return input;
}

// A choice of values, each shown by its label (labels[i], else the value itself).
function choiceInput(p, row, choices, none, labels) {
  const select = element('select');
  if (none) select.append(element('option', {value: '', textContent: '(none)'}));
  choices.forEach((choice, i) => select.append(element('option', {value: choice, textContent: labels?.[i] ?? choice})));
  select.value = p.value ?? '';
  select.addEventListener('change', () => edit(p.name, select.value === '' && none ? null : select.value, row));
  return select;
}

// The exclude list: its objects, each with a remove button, and a choice of objects to add.
function listInput(p, row) {
  const entries = (p.value && p.value.inexclude) || [];
  const send = (list) => edit(p.name, {inexclude: list}, row);
  const items = entries.map((entry, i) => element('li', {}, [
    entry.link ?? '(missing object)',
    element('button', {type: 'button', textContent: 'Remove', onclick: () => send(entries.filter((_, j) => j !== i))}),
  ]));
  const add = choiceInput({value: ''}, row, state.objects, true);
  add.onchange = () => add.value && send(entries.concat([{link: add.value, flags: 15}]));
  return element('div', {}, [element('ul', {className: 'excluded'}, items), add]);
}

function control(p, row) {
  switch (p.type) {
    case 'bool': {
      const box = element('input', {type: 'checkbox', checked: p.value === true});
      box.addEventListener('change', () => edit(p.name, box.checked, row));
      return box;
    }
    case 'long': case 'real': return numberInput(p, row);
    case 'cycle': return choiceInput(p, row, p.choices, false, p.choice_labels);
    case 'link': return choiceInput(p, row, state.objects, true);
    case 'inexclude': return listInput(p, row);
    case 'button': return element('button', {type: 'button', textContent: p.label, onclick: pressPreview});
    default: return element('span', {textContent: JSON.stringify(p.value)});
  }
}

function parameterRow(p) {
  const row = element('div', {className: 'row' + (p.enabled === false ? ' disabled' : '')});
  row.dataset.name = p.name;
  const input = control(p, row);
  input.querySelectorAll?.('input, select, button').forEach((c) => (c.disabled = p.enabled === false));
  if (p.enabled === false) input.disabled = true;
  input.id = 'field-' + p.name;
  const value = element('span', {}, [input]);
  if (p.unit) value.append(element('span', {className: 'unit', textContent: p.unit}));
  if (p.animated) {
    input.disabled = true;  // the host refuses its edits: its track sets it at every frame
    value.append(element('span', {className: 'animated-mark', textContent: 'animated',
      title: 'Animated: the value at this frame. Edit its keys in the scene file.'}));
  }
  row.append(element('label', {htmlFor: input.id, textContent: p.type === 'button' ? '' : p.label, title: p.name}), value);
  return row;
}

const settingLabels = {width: 'Width (px)', height: 'Height (px)', antialiasing: 'Anti-aliasing (0-2)',
  focus_distance: 'Camera focus distance'};

// The number field being typed into and not yet sent, with what it holds, so that an answer
// to an earlier request, which rebuilds the lists, takes neither the typing nor the focus.
function typing() {
  const input = document.activeElement;
  if (!input || !input.id || input.dataset.typed !== '1' || !input.closest('#parameters, #settings')) return null;
  return {id: input.id, value: input.value};
}

function resumeTyping(typed) {
  const input = typed && document.getElementById(typed.id);
  if (!input || input.disabled) return;
  input.value = typed.value;
  input.dataset.typed = '1';
  input.focus();
}

function showParameters() {
  const typed = typing();
  const form = $('parameters');
  form.replaceChildren();
  let group = null;
  for (const p of state.parameters) {
    if (!group || group.dataset.group !== p.group) {
      group = element('fieldset', {}, [element('legend', {textContent: p.group})]);
      group.dataset.group = p.group;
      form.append(group);
    }
    group.append(parameterRow(p));
  }
  const settings = $('settings');
  settings.replaceChildren(element('legend', {textContent: 'Render and camera'}));
  for (const s of state.settings) {
    const type = s.name === 'focus_distance' ? 'real' : 'long';
    settings.append(parameterRow({...s, type, label: settingLabels[s.name], step: type === 'long' ? 1 : null}));
  }
  resumeTyping(typed);
}

function showPreview() {
  const preview = state.preview;
  $('preview').hidden = !preview.open;
  if (preview.open && preview.version !== previewVersion) $('preview-window').src = '/api/preview/window?v=' + preview.version;
  previewVersion = preview.version;
}

// The frame slider and field over the scene's frame range; the frames to render default to all.
function showTime() {
  const {first, last} = state.frames;
  for (const id of ['frame-slider', 'frame', 'frames-from', 'frames-to']) Object.assign($(id), {min: first, max: last});
  $('frame-slider').value = $('frame').value = state.frame;
  if ($('frames-from').value === '') $('frames-from').value = first;
  if ($('frames-to').value === '') $('frames-to').value = last;
}

async function setFrame(frame) {
  $('time-error').textContent = '';
  try {
    show(await call('POST', '/api/time', {frame: Number(frame)}));
  } catch (error) {
    $('time-error').textContent = error.message;
  }
}

// Shows the host's answer unless a later one is already shown: requests are served side by
// side, so an edit's answer may arrive after that of a save sent after it.
function show(answer) {
  if (state && answer.sequence < state.sequence) return;
  state = answer;
  showTime();
  $('scene').textContent = state.scene;
  $('unsaved').hidden = !state.dirty;
  $('report').textContent = (state.report || []).join('; ');
  showParameters();
  showPreview();
}

async function pressPreview() { show(await call('POST', '/api/preview')); }

// Progress of the render under way, from the server's events, until it ends. Requested with
// POST so that the browser names the page's origin: the server streams to its own page only.
async function followRender(showsLayers) {
  $('render-start').disabled = $('render-frames').disabled = true;
  $('render-stop').disabled = false;
  const response = await fetch('/api/render/progress', {method: 'POST'});
  const reader = response.body.pipeThrough(new TextDecoderStream()).getReader();
  let received = '';
  for (;;) {
    const {value, done} = await reader.read();
    if (done) return;
    const events = (received + value).split('\n\n');
    received = events.pop();
    for (const event of events) showProgress(JSON.parse(event.replace(/^data: /, '')), showsLayers);
  }
}

function showProgress(progress, showsLayers) {
  $('progress').value = progress.fraction;
  $('progress-text').textContent = progress.text;
  if (progress.state === 'rendering') return;
  $('render-start').disabled = $('render-frames').disabled = false;
  $('render-stop').disabled = true;
  $('render-error').textContent = progress.message;
  if (progress.state === 'done' && showsLayers) showResult(progress.layers);
}

function showResult(layers) {
  const select = $('layer');
  select.replaceChildren(...layers.map((name) => element('option', {value: name, textContent: name})));
  const stamp = Date.now();
  $('before').src = '/api/render/layer?name=before&v=' + stamp;
  $('after').src = '/api/render/layer?name=image&v=' + stamp;
  $('result').hidden = false;
  select.disabled = $('compare').disabled = false;
}

// Starts the render (its layers shown when done) or the frames render, and follows its progress.
async function startRender(path, body, showsLayers) {
  $('render-error').textContent = '';
  try {
    await call('POST', path, body);
    followRender(showsLayers);
  } catch (error) {
    $('render-error').textContent = error.message;
  }
}

async function save(name) {
  $('save-error').textContent = '';
  try {
    show(await call('POST', '/api/save', name ? {name} : {}));
  } catch (error) {
    $('save-error').textContent = error.message;
  }
}

// Focuses on the surface under a click on the render, or with preview on the preview window.
async function focusAt(event, preview) {
  const box = event.currentTarget.getBoundingClientRect();
  const x = (event.clientX - box.left) / box.width, y = (event.clientY - box.top) / box.height;
  try {
    show(await call('POST', '/api/focus', {x: Math.min(Math.max(x, 0), 1), y: Math.min(Math.max(y, 0), 1), preview}));
  } catch (error) {
    $('report').textContent = error.message;
  }
}

$('render-start').onclick = () => startRender('/api/render', undefined, true);
$('render-frames').onclick = () =>
  startRender('/api/render/frames', {from: Number($('frames-from').value), to: Number($('frames-to').value)}, false);
$('frame-slider').oninput = () => ($('frame').value = $('frame-slider').value);
$('frame-slider').onchange = () => setFrame($('frame-slider').value);
$('frame').onchange = () => setFrame($('frame').value);
$('render-stop').onclick = () => call('POST', '/api/render/stop');
$('layer').onchange = () => ($('after').src = '/api/render/layer?name=' + encodeURIComponent($('layer').value) + '&v=' + Date.now());
$('compare').oninput = () => ($('after').style.clipPath = `inset(0 ${100 - $('compare').value}% 0 0)`);
$('result').onclick = (event) => focusAt(event, false);
$('preview-window').onclick = (event) => focusAt(event, true);
$('preview-close').onclick = async () => show(await call('POST', '/api/preview/close'));
$('save').onclick = () => save();
$('save-as').onclick = () => save($('save-name').value.trim());
call('GET', '/api/state').then(show);
