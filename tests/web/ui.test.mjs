// The page as a user drives it: menus, toolbar, keys, status bar, dialogs,
// dropping and choosing files, settings kept over a reload.
import assert from 'node:assert/strict';
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, beforeEach, test } from 'node:test';
import {
  closeAll, SAMPLE, canvasBox, chooseMenu, cli, click, control, button, menuStates, launch, openBytes,
  openDialogs, openPage, repoFile, status, table, tempDir, waitStatus,
} from './harness.mjs';

after(closeAll);

let page;
const title = () => page.evaluate(() => document.title);
const ctrl = async (key) => {
  await page.keyboard.down('Control');
  await page.keyboard.press(key);
  await page.keyboard.up('Control');
};
const clickPicture = async () =>
  (await page.evaluateHandle(() => window.__player().canvas)).click();

before(async () => {
  page = await openPage(await launch());
});

// A failed test leaves no full screen, dialog or menu behind for the next.
beforeEach(async () => {
  if (!page) return;
  await page.evaluate(async () => {
    if (document.fullscreenElement) await document.exitFullscreen();
    for (const d of window.__zq('dialog')) if (d.open) d.close();
  });
  for (let i = 0; i < 3 && await page.$('aria/[role="menu"]'); ++i) await page.keyboard.press('Escape');
});

// Control states, checked after each step of a walk through one movie.
// Buttons: [disabled, pressed]; undefined entries are not checked.
const walk = [
  { step: 'nothing open', act: async () => {},
    state: '', buttons: { 'file open': [false, false], replay: [true], 'play/pause': [true, false], 'next frame': [true] },
    menu: { 'Play/Pause': [true], 'Property...': [true], 'Search header...': [true] } },
  { step: 'a dropped file plays', act: async () => {
      await page.evaluate(async (b64) => {
        const bytes = await (await fetch(`data:application/octet-stream;base64,${b64}`)).arrayBuffer();
        const data = new DataTransfer();
        data.items.add(new File([bytes], 'sample.cpk'));
        const at = window.__player().canvas;
        for (const type of ['dragenter', 'dragover', 'drop'])
          at.dispatchEvent(new DragEvent(type, { dataTransfer: data, bubbles: true, composed: true, cancelable: true }));
      }, readFileSync(SAMPLE).toString('base64'));
      await waitStatus(page, (s) => s[1] === 'Play...' && Number(s[2]) > 0);
    },
    state: 'Play...', title: 'sample.cpk - Zentrov',
    buttons: { replay: [false], 'play/pause': [false, false], 'next frame': [true], 'loop play': [false, false] } },
  { step: 'the play/pause button pauses', act: () => click(page, 'button', 'play/pause'),
    state: 'Pause.', buttons: { 'play/pause': [false, true], 'next frame': [false] },
    menu: { 'Play/Pause': [false], 'Property...': [false] } },
  { step: 'next frame steps one picture', act: async () => {
      const before = Number((await status(page))[2]);
      await click(page, 'button', 'next frame');
      const after = Number((await waitStatus(page, new Function('s', `return s[2] !== '${before}'`)))[2]);
      const next = table(SAMPLE).findIndex((e, i) => i > before && !e.audio);
      assert.equal(after, next);
    },
    state: 'Pause.', buttons: { 'play/pause': [false, true], 'next frame': [false] } },
  // In the window an accelerator opens the menu first, as the Windows
  // player's does, and the menu pauses: Ctrl+P plays, paused or not.
  { step: 'Ctrl+P plays on', act: async () => { await clickPicture(); await ctrl('p'); },
    state: 'Play...', buttons: { 'play/pause': [false, false], 'next frame': [true] } },
  { step: 'Ctrl+P while playing plays on', act: async () => {
      await ctrl('p');
      const at = Number((await status(page))[2]);
      await waitStatus(page, new Function('s', `return Number(s[2]) > ${at}`));
    },
    state: 'Play...', buttons: { 'play/pause': [false, false] } },
  { step: 'loop plays past the end from the start', act: async () => {
      await click(page, 'button', 'loop play');
      await waitStatus(page, (s) => Number(s[2]) > 120, 10000);
      await waitStatus(page, (s) => s[1] === 'Play...' && Number(s[2]) < 60, 10000);
    },
    state: 'Play...', buttons: { 'loop play': [false, true] } },
  { step: 'the View menu shows Loop', act: async () => {
      const m = await menuStates(page, ['View'], ['Loop']);
      assert.deepEqual(m.Loop, { disabled: false, checked: true });
      await click(page, 'button', 'loop play');
      if ((await status(page))[1] !== 'Play...') await ctrl('p');
      await waitStatus(page, (s) => s[1] === 'End.', 10000);
    },
    state: 'End.', buttons: { 'loop play': [false, false], 'play/pause': [true], 'next frame': [true] },
    menu: { 'Play/Pause': [true], Loop: [false, false] } },
  { step: 'replay shows the first picture again', act: async () => {
      await click(page, 'button', 'replay');
      await waitStatus(page, (s) => s[2] === '0');
    },
    buttons: { 'play/pause': [false] }, menu: { 'Play/Pause': [false] } },
  { step: 'and plays', act: async () => {
      await ctrl('p');
      await waitStatus(page, (s) => s[1] === 'Play...' && Number(s[2]) > 0);
    },
    state: 'Play...' },
  { step: 'Pcm off', act: () => chooseMenu(page, 'View', 'Pcm off'), menu: { 'Pcm off': [false, true] } },
  // Without waiting for the sound clock the 4-second sample ends far sooner.
  { step: 'No Wait plays to the end at once', act: async () => {
      await chooseMenu(page, 'View', 'FrameRate', 'No Wait');
      await click(page, 'button', 'replay');
      if ((await status(page))[1] !== 'Play...') await ctrl('p');
      const start = Date.now();
      await waitStatus(page, (s) => s[1] === 'End.');
      assert.ok(Date.now() - start < 3000, `No Wait took ${Date.now() - start} ms`);
      const m = await menuStates(page, ['View', 'FrameRate'], ['No Wait', 'Normal']);
      assert.deepEqual([m['No Wait'].checked, m.Normal.checked], [true, false]);
      await chooseMenu(page, 'View', 'FrameRate', 'Normal');
      await chooseMenu(page, 'View', 'Pcm off');
    },
    menu: { 'Pcm off': [false, false] } },
];

test('transport walk: status, toolbar, menus, title', async () => {
  for (const { step, act, state, title: want, buttons = {}, menu } of walk) {
    await act();
    if (state !== undefined) assert.equal((await status(page))[1] ?? '', state, step);
    if (want) assert.equal(await title(), want, step);
    for (const [name, [disabled, pressed]] of Object.entries(buttons)) {
      const got = await button(page, name);
      assert.equal(got.disabled, disabled, `${step}: button "${name}" disabled`);
      if (pressed !== undefined) assert.equal(got.checked, pressed, `${step}: button "${name}" pressed`);
    }
    if (menu) {
      const got = await menuStates(page, ['View'], Object.keys(menu).filter((k) => k !== 'Search header...'));
      if ('Search header...' in menu)
        Object.assign(got, await menuStates(page, ['Edit'], ['Search header...']));
      for (const [name, [disabled, checked]] of Object.entries(menu)) {
        assert.equal(got[name].disabled, disabled, `${step}: menu item "${name}" disabled`);
        if (checked !== undefined) assert.equal(got[name].checked, checked, `${step}: menu item "${name}" checked`);
      }
    }
  }
  assert.deepEqual(page.problems, []);
});

test('zoom x1, x2 and full screen; keys in full screen; Esc and a click leave it', async () => {
  const [w, h] = (await status(page))[3].split('x').map(Number); // ' 96x 64' too
  await chooseMenu(page, 'View', 'Zoom', 'x2');
  assert.deepEqual(await canvasBox(page), { width: 2 * w, height: 2 * h });
  assert.deepEqual((await menuStates(page, ['View', 'Zoom'], ['x1', 'x2'])),
    { x1: { disabled: false, checked: false }, x2: { disabled: false, checked: true } });
  await click(page, 'button', 'normal size');
  assert.deepEqual(await canvasBox(page), { width: w, height: h });
  // Full screen comes from the toolbar (its menu item stays grayed, as in the
  // Windows player) and is left by a click, or by Esc after keys: there
  // Ctrl+P toggles without the menu.
  assert.equal((await menuStates(page, ['View', 'Zoom'], ['Full screen']))['Full screen'].disabled, true);
  await click(page, 'button', 'loop play'); // playing all along
  await click(page, 'button', 'replay'); // after "End." Play/Pause is grayed
  await ctrl('p');
  await waitStatus(page, (s) => s[1] === 'Play...');
  for (const keys of [false, true]) {
    await click(page, 'button', 'full screen');
    await page.waitForFunction(() => document.fullscreenElement !== null, { timeout: 3000 });
    const box = await canvasBox(page);
    assert.ok(box.width > w && box.height > h, `full screen picture ${JSON.stringify(box)}`);
    assert.equal(await page.$('aria/[role="menubar"]'), null, 'no menu bar in full screen');
    assert.equal((await status(page))[1], 'Play...');
    if (keys) {
      for (const want of ['Pause.', 'Play...']) {
        await ctrl('p');
        await waitStatus(page, new Function('s', `return s[1] === '${want}'`), 3000);
      }
      await page.keyboard.press('Escape');
    } else {
      await clickPicture();
    }
    await page.waitForFunction(() => document.fullscreenElement === null, { timeout: 3000 });
    assert.deepEqual(await canvasBox(page), { width: w, height: h });
    assert.equal((await status(page))[1], 'Play...');
  }
  await click(page, 'button', 'loop play');
  assert.deepEqual(page.problems, []);
});

// The text of the open dialog with accessible name `label`.
async function dialogText(label) {
  await page.waitForFunction((l) => window.__dialogs().some((d) => d.label === l), { timeout: 3000 }, label);
  return (await openDialogs(page)).find((d) => d.label === label).text;
}

test('Property shows the movie\'s values and one row per table entry; About', async () => {
  await chooseMenu(page, 'View', 'Property...');
  const text = await dialogText('Property');
  for (const line of cli('info', SAMPLE).trim().split('\n')) {
    const [field, value] = line.split(': ');
    assert.ok(text.includes(field) && text.includes(value), `Property lacks "${line}"`);
  }
  // The table: its row count, and the rows drawn at the top and at the end
  // against zentrov-cli table.
  await click(page, 'button', 'More>>');
  const want = cli('table', SAMPLE).replace(/\n$/, '').split('\n').slice(1);
  for (const end of [false, true]) {
    const { count, rows } = await page.evaluate(async (end) => {
      const d = window.__zq('dialog').find((x) => x.open && x.getAttribute('aria-label') === 'Property');
      const grid = d.querySelector('[aria-rowcount]');
      if (end) {
        const body = grid.querySelector('[role="rowgroup"]') ?? grid;
        body.scrollTop = body.scrollHeight;
        body.dispatchEvent(new Event('scroll'));
        await new Promise((r) => requestAnimationFrame(r));
      }
      return {
        count: Number(grid.getAttribute('aria-rowcount')) - 1, // less the header row
        rows: [...grid.querySelectorAll('[role="row"][aria-rowindex]')]
          .filter((r) => !r.querySelector('[role="columnheader"]'))
          .map((r) => [Number(r.getAttribute('aria-rowindex')) - 2,
                       [...r.querySelectorAll('[role="cell"]')].map((c) => c.textContent).join('\t')]),
      };
    }, end);
    assert.equal(count, want.length);
    assert.ok(rows.length > 0 && rows.some(([i]) => i === (end ? want.length - 1 : 0)), `rows drawn: ${rows.map(([i]) => i)}`);
    for (const [i, text] of rows) assert.equal(text, want[i], `Property row ${i}`);
  }
  await click(page, 'button', 'OK');
  await chooseMenu(page, 'About', 'About...');
  assert.match(await dialogText('About Zentrov'), /Zentrov/);
  await click(page, 'button', 'OK');
  assert.deepEqual(await openDialogs(page), []);
});

test('Search header finds both movies of one file and opens the second', async () => {
  const dir = tempDir();
  const first = readFileSync(SAMPLE), second = readFileSync(repoFile('tests/data/silent_96x64.cpk'));
  // The scan looks at 2 KiB steps: the second movie starts on one.
  const pad = Buffer.alloc((2048 - (first.length % 2048)) % 2048);
  const both = join(dir, 'two.cpk');
  writeFileSync(both, Buffer.concat([first, pad, second]));
  const lines = cli('headers', both).trim().split('\n');
  assert.equal(lines.length, 2);
  await openBytes(page, both);
  await chooseMenu(page, 'Edit', 'Search header...');
  await dialogText('Search header');
  await click(page, 'button', 'Search');
  await page.waitForFunction((n) => window.__zq('[role="option"], option').length >= n, { timeout: 5000 },
    lines.length);
  const shown = await page.evaluate(() => window.__zq('[role="option"], option').map((o) => o.textContent.trim()));
  assert.deepEqual(shown, lines);
  await page.evaluate((line) => window.__zq('[role="option"], option')
    .find((o) => o.textContent.trim() === line).click(), lines[1]);
  await click(page, 'button', 'OK');
  await waitStatus(page, (s) => s[3].replace(/ /g, '') === '96x64');
  assert.deepEqual(await canvasBox(page), { width: 96, height: 64 });
  assert.equal(await title(), 'two.cpk:1 - Zentrov'); // the header chosen
});

test('Ctrl+O opens the file chooser and plays the chosen movie', async () => {
  const movie = repoFile('tests/data/testsrc_s16_stereo.cpk');
  await clickPicture();
  const [chooser] = await Promise.all([page.waitForFileChooser({ timeout: 3000 }), ctrl('o')]);
  await chooser.accept([movie]);
  await waitStatus(page, (s) => s[1] === 'Play...' && s[3].replace(/ /g, '') === '160x120');
  assert.equal(await title(), 'testsrc_s16_stereo.cpk - Zentrov');
  assert.deepEqual(page.problems, []);
});

// Mode: the toolbar's menu item checked, and whether the bar shows.
const modes = [['Flat style', true], ['Hide', false], ['Button style', true]];

test('the toolbar mode survives a reload', async () => {
  for (const [mode, shown] of modes) {
    await chooseMenu(page, 'View', 'Toolbar', mode);
    for (const reloaded of [false, true]) {
      if (reloaded) {
        await page.reload({ waitUntil: 'load' });
        await page.evaluate(() => window.__player().ready);
      }
      const where = `${mode}${reloaded ? ' after a reload' : ''}`;
      const states = await menuStates(page, ['View', 'Toolbar'], modes.map(([m]) => m));
      for (const [m] of modes) assert.equal(states[m].checked, m === mode, `${where}: "${m}" checked`);
      const bar = await page.$('aria/[role="toolbar"]');
      assert.equal(bar !== null, shown, `${where}: toolbar shown`);
    }
  }
  assert.ok(await page.evaluate(() => localStorage.getItem('Zentrov') !== null ||
    Object.keys(localStorage).some((k) => k.startsWith('Zentrov'))), 'settings kept under "Zentrov"');
  assert.deepEqual(page.problems, []);
});
