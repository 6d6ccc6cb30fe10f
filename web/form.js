// The settings form: one group per section, one row per setting, built from
// the module's schema (kind, default, clamps, explanation) and kept showing
// what the doctor says the plug-in reads. Edits go out as value texts
// through `onEdit(key, text)`; nothing here decides what a text reads as.

import { capturedKey, hexCode } from './keys.js';

const element = (tag, attributes = {}, ...children) => {
  const node = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes)) {
    if (name === 'text') node.textContent = value;
    else if (name.startsWith('on')) node.addEventListener(name.slice(2), value);
    else node.setAttribute(name, value);
  }
  for (const child of children) if (child) node.append(child);
  return node;
};

// The stop mode's five choices, with the words of the shipped file's own
// comment ("0  it is dropped as soon as you stop", "below 0  it is kept...").
export function stopModeChoices(explanation) {
  const choices = [];
  for (const line of explanation.split('\n')) {
    const match = /^\s*(-?\d+|below 0)\s{2,}(.+)$/.exec(line);
    if (match) choices.push({ value: match[1] === 'below 0' ? '-1' : match[1], words: match[1] + ': ' + match[2] });
  }
  return choices;
}

function rangeText(row) {
  if (row.min !== null && row.max !== null) return `${row.min} to ${row.max} (the plug-in raises lower values and lowers higher ones)`;
  if (row.max !== null) return `at most ${row.max} (higher values are lowered to it)`;
  if (row.min !== null) return `at least ${row.min} (lower values are raised to it)`;
  return '';
}

function defaultText(row, keyName) {
  if (row.kind === 'flag') return row.default ? 'on' : 'off';
  if (row.kind === 'key') return `${keyName(row.default)} (${hexCode(row.default)})`;
  return String(row.default);
}

export class SettingsForm {
  // `keys`: {nameOf: vk -> name}; `worker`: the module, for key capture.
  constructor(container, schema, keys, worker, onEdit) {
    this.container = container;
    this.schema = schema;
    this.keys = keys;
    this.worker = worker;
    this.onEdit = onEdit;
    this.rows = new Map();
    this.build();
  }

  build() {
    this.container.textContent = '';
    let group = null;
    for (const row of this.schema.settings) {
      if (!group || group.dataset.section !== row.section) {
        group = element('fieldset', { class: 'section', 'data-section': row.section }, element('legend', { text: '[' + row.section + ']' }));
        this.container.append(group);
      }
      group.append(this.buildRow(row));
    }
  }

  buildRow(row) {
    const id = 'setting-' + row.key;
    const control = this.buildControl(row, id);
    const facts = [`default ${defaultText(row, (code) => this.keys.nameOf(code))}`];
    const range = rangeText(row);
    if (range) facts.push(range);
    const reads = element('span', { class: 'reads', 'data-reads': row.key });
    const findings = element('ul', { class: 'findings', 'data-findings': row.key });
    const refusal = element('p', { class: 'refusal', role: 'alert', 'data-refusal': row.key });
    refusal.hidden = true;
    const explanation = row.kind === 'whole' ? row.explanation.split('\n')[0] : row.explanation;
    const node = element('div', { class: 'setting', 'data-key': row.key },
      element('label', { for: id, class: 'key', text: row.key }),
      element('p', { class: 'explanation', text: explanation }),
      control.node,
      refusal,
      element('p', { class: 'facts', text: facts.join(' · ') }, reads),
      findings);
    this.rows.set(row.key, { row, control, reads, findings, refusal });
    return node;
  }

  buildControl(row, id) {
    if (row.kind === 'flag') return this.flagControl(row, id);
    if (row.kind === 'speed') return this.speedControl(row, id);
    if (row.kind === 'whole') return this.modeControl(row, id);
    return this.keyControl(row, id);
  }

  flagControl(row, id) {
    const input = element('input', { type: 'checkbox', role: 'switch', id, onchange: () => this.onEdit(row.key, input.checked ? '1' : '0') });
    const state = element('span', { class: 'switch-state' });
    const node = element('div', { class: 'control switch' }, input, state);
    return { node, show: (value) => { input.checked = !!value; state.textContent = value ? 'on' : 'off'; } };
  }

  speedControl(row, id) {
    const number = element('input', { type: 'number', id, step: '0.01', inputmode: 'decimal' });
    if (row.min !== null) number.min = row.min;
    if (row.max !== null) number.max = row.max;
    const node = element('div', { class: 'control speed' }, number);
    let slider = null;
    if (row.min !== null && row.max !== null) {
      slider = element('input', { type: 'range', min: row.min, max: row.max, step: '0.01', 'aria-label': row.key + ' slider' });
      slider.addEventListener('input', () => { number.value = slider.value; this.onEdit(row.key, slider.value); });
      node.append(slider);
    }
    number.addEventListener('change', () => {
      if (number.value !== '') this.onEdit(row.key, number.value);
      if (slider) slider.value = number.value;
    });
    return {
      node,
      show: (value) => {
        if (document.activeElement !== number) number.value = value;
        if (slider && document.activeElement !== slider) slider.value = value;
      },
    };
  }

  modeControl(row, id) {
    const choices = stopModeChoices(row.explanation);
    const node = element('div', { class: 'control choices', role: 'radiogroup', id, 'aria-label': row.key });
    const inputs = [];
    for (const choice of choices) {
      const input = element('input', { type: 'radio', name: id, value: choice.value, onchange: () => this.onEdit(row.key, choice.value) });
      inputs.push(input);
      node.append(element('label', { class: 'choice' }, input, element('span', { text: choice.words })));
    }
    const note = element('p', { class: 'choice-note' });
    node.append(note);
    return {
      node,
      show: (value) => {
        const chosen = value < 0 ? '-1' : value >= 4 ? '1' : String(value);
        for (const input of inputs) input.checked = input.value === chosen;
        note.textContent = value >= 4 ? `Your file has ${value}, which acts like 1.` : value < -1 ? `Your file has ${value}, which acts like any value below 0.` : '';
      },
    };
  }

  keyControl(row, id) {
    const modifier = row.key === 'HOTKEY_MODIFIER';
    const shown = element('input', { type: 'text', id, class: 'key-name', spellcheck: 'false', 'aria-label': row.key + ': type a key name or code' });
    const capture = element('button', { type: 'button', class: 'capture', text: 'Press the key you want' });
    const none = element('button', { type: 'button', text: modifier ? 'None (the hotkeys alone)' : 'No key' });
    const node = element('div', { class: 'control key' }, capture, shown, none);
    none.addEventListener('click', () => this.onEdit(row.key, 'None'));
    shown.addEventListener('change', () => this.onEdit(row.key, shown.value.trim()));
    const idle = () => {
      capture.classList.remove('listening');
      capture.textContent = 'Press the key you want';
    };
    capture.addEventListener('click', () => {
      capture.textContent = 'Press a key now… (Esc cancels)';
      capture.classList.add('listening');
      const listen = async (event) => {
        event.preventDefault();
        event.stopPropagation();
        window.removeEventListener('keydown', listen, true);
        capture.removeEventListener('blur', cancel);
        idle();
        if (event.code === 'Escape') return;
        const key = await capturedKey(this.worker, event);
        if (!key) {
          this.showRefusal(row.key, `${event.code || event.key}: Ambleworks knows no key by that name. Press another key, or type a key code.`);
          return;
        }
        this.onEdit(row.key, key.name);
      };
      const cancel = () => {
        window.removeEventListener('keydown', listen, true);
        idle();
      };
      window.addEventListener('keydown', listen, true);
      capture.addEventListener('blur', cancel, { once: true });
    });
    return {
      node,
      show: (value) => {
        if (document.activeElement === shown) return;
        const name = this.keys.nameOf(value);
        if (value === 0 && modifier) shown.value = 'None (the hotkeys alone)';
        else if (value <= 0 || value >= 255) shown.value = 'no key';
        else shown.value = `${name || 'no key on a keyboard'} (${hexCode(value)})`;
      },
    };
  }

  // Says beside a setting why the value given for it would not be saved (or
  // would not read as meant); '' clears it.
  showRefusal(key, reason) {
    const entry = this.rows.get(key);
    if (!entry) return;
    entry.refusal.textContent = reason;
    entry.refusal.hidden = !reason;
  }

  // Shows the values the plug-in reads (the doctor's settings rows) and the
  // findings that concern each key.
  show(settings, findingsByKey) {
    for (const use of settings) {
      const entry = this.rows.get(use.key);
      if (!entry) continue;
      entry.control.show(use.value);
      entry.reads.textContent = use.clamped ? ` · reads as ${use.loaded}, played as ${use.value}` : '';
      entry.findings.textContent = '';
      for (const finding of findingsByKey.get(use.key) || []) entry.findings.append(findingItem(finding));
    }
  }
}

// One finding as AmbleworksDoctor.exe words it: "warning: ...".
export function findingItem(finding) {
  return element('li', { class: 'finding ' + finding.severity },
    element('strong', { text: finding.severity + ':' }), ' ' + finding.message);
}

export { element };
