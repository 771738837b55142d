// The page as a user drives it: menus, toolbar, keys, status bar, dialogs,
// dropping and choosing files, settings kept over a reload.
import assert from 'node:assert/strict';
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { after, afterEach, beforeEach, test } from 'node:test';
import {
  closeAll, SAMPLE, cli, info, launch, openBytes, openPage, ready, repoFile, status, tempDir, waitStatus,
} from './harness.mjs';

after(closeAll);

const page = await openPage(await launch());
const chord = async (modifier, key) => {
  await page.keyboard.down(modifier);
  await page.keyboard.press(key);
  await page.keyboard.up(modifier);
};
const clickPicture = () => page.click('pierce/canvas');
const until = (test, timeout) => waitStatus(page, test, timeout);
const canvasBox = () => page.evaluate(() => {
  const r = window.__player().canvas.getBoundingClientRect();
  return { width: Math.round(r.width), height: Math.round(r.height) };
});

// The controls as a user (or a screen reader) finds them: by role and name
// in the accessibility tree, so only what is shown.
const control = (role, name) => page.waitForSelector(`aria/${name}[role="${role}"]`, { timeout: 3000 });
const click = async (role, name) => (await control(role, name)).click();
const chooseMenu = async (...path) => { for (const name of path) await click('menuitem', name); };

// Checks the controls `want` names as [disabled] or [disabled, pressed or
// checked]: toolbar buttons for no `path`, else the items of the last menu
// along it, opened for this and closed again with Escape.
async function expectStates(path, want, message = path.join(' > ')) {
  await chooseMenu(...path);
  const got = {};
  for (const [name, w] of Object.entries(want)) {
    got[name] = (await (await control(path.length ? 'menuitem' : 'button', name)).evaluate((e) => [
      e.disabled === true || e.getAttribute('aria-disabled') === 'true',
      e.getAttribute('aria-checked') === 'true' || e.getAttribute('aria-pressed') === 'true'])).slice(0, w.length);
  }
  for (const _ of path) await page.keyboard.press('Escape');
  assert.deepEqual(got, want, message);
}

// A failed test leaves no full screen, dialog or menu behind for the next.
beforeEach(async () => {
  await page.evaluate(() => {
    for (const d of window.__zq('dialog[open]')) d.close();
    return document.fullscreenElement && document.exitFullscreen();
  });
  for (let i = 0; i < 3 && await page.$('aria/[role="menu"]'); ++i) await page.keyboard.press('Escape');
});
afterEach(() => assert.deepEqual(page.problems.splice(0), []));

// The toolbar's and the menus' states are the core's; these show that they
// reach the page: a button disabled, then pressed, and the keys sent as the
// window sends them.
test('a real drop plays; a toolbar button pauses, Ctrl+P plays, paused or not', async () => {
  await expectStates([], { 'play/pause': [true], 'next frame': [true] }); // nothing open
  const canvas = await page.$('pierce/canvas'), data = { items: [], files: [SAMPLE], dragOperationsMask: 1 };
  for (const step of ['dragEnter', 'dragOver', 'drop']) await canvas[step](data);
  await until((s) => s[1] === 'Play...' && Number(s[2]) > 0);
  assert.equal(await page.title(), 'sample.cpk - Zentrov');
  await click('button', 'play/pause');
  await until((s) => s[1] === 'Pause.');
  await expectStates([], { 'play/pause': [false, true], 'next frame': [false] });
  // A key opens the menu first, which pauses, so Ctrl+P plays on while playing.
  await clickPicture();
  for (const _ of ['paused', 'playing']) {
    await chord('Control', 'p');
    await until(new Function('s', `return s[1] === 'Play...' && Number(s[2]) > ${(await status(page))[2]}`));
  }
});

test('zoom x1, x2 and full screen; keys in full screen; Esc and a click leave it', async () => {
  const [w, h] = (await status(page))[3].split('x').map(Number); // ' 96x 64'
  await chooseMenu('View', 'Zoom', 'x2');
  assert.deepEqual(await canvasBox(), { width: 2 * w, height: 2 * h });
  await expectStates(['View', 'Zoom'], { x1: [false, false], x2: [false, true], 'Full screen': [true, false] });
  await click('button', 'normal size');
  assert.deepEqual(await canvasBox(), { width: w, height: h });
  // Full screen comes from the toolbar (its menu item stays grayed, as in the
  // Windows player) and is left by a click, or by Esc after keys: there
  // Ctrl+P toggles without the menu.
  await click('button', 'loop play'); // playing all along
  await click('button', 'replay');
  await chord('Control', 'p');
  await until((s) => s[1] === 'Play...');
  for (const keys of [false, true]) {
    await click('button', 'full screen');
    await page.waitForFunction(() => document.fullscreenElement !== null, { timeout: 3000 });
    const box = await canvasBox();
    assert.ok(box.width > w && box.height > h, `full screen picture ${JSON.stringify(box)}`);
    assert.equal(await page.$('aria/[role="menubar"]'), null, 'no menu bar in full screen');
    if (keys) {
      for (const want of ['Pause.', 'Play...']) {
        await chord('Control', 'p');
        await until(new Function('s', `return s[1] === '${want}'`), 3000);
      }
      await page.keyboard.press('Escape');
    } else {
      await clickPicture();
    }
    await page.waitForFunction(() => document.fullscreenElement === null, { timeout: 3000 });
    assert.deepEqual(await canvasBox(), { width: w, height: h });
    assert.equal((await status(page))[1], 'Play...');
  }
  await click('button', 'loop play');
});

// The text of the open dialog with accessible name `label`.
const dialogText = async (label) => (await page.waitForFunction(
  (l) => window.__dialogs().find((d) => d.label === l)?.text, { timeout: 3000 }, label)).jsonValue();

test('Alt+Enter shows Property: the movie\'s values and its table', async () => {
  await clickPicture();
  await chord('Alt', 'Enter');
  const text = await dialogText('Property');
  for (const [field, value] of Object.entries(info(SAMPLE)))
    assert.ok(text.includes(field) && text.includes(value), `Property lacks "${field}: ${value}"`);
  // The row count, and the rows drawn at the top and at the end.
  await click('button', 'More>>');
  const want = cli('table', SAMPLE).split('\n').slice(1, -1);
  assert.equal(await page.evaluate(() => window.__zq('dialog[open] [aria-rowcount]')[0].ariaRowCount),
               String(want.length + 1)); // and the header row
  for (const end of [false, true]) {
    const rows = await page.evaluate(async (end) => {
      const body = window.__zq('dialog[open] [role="rowgroup"]')[0];
      if (end) {
        body.scrollTop = body.scrollHeight;
        await new Promise((r) => body.addEventListener('scroll', () => requestAnimationFrame(r), { once: true }));
      }
      return [...body.querySelectorAll('[role="row"]')].map((r) => [r.ariaRowIndex - 2,
        [...r.querySelectorAll('[role="cell"]')].map((c) => c.textContent).join('\t')]);
    }, end);
    assert.ok(rows.some(([i]) => i === (end ? want.length - 1 : 0)), `rows drawn: ${rows.map(([i]) => i)}`);
    for (const [i, text] of rows) assert.equal(text, want[i], `Property row ${i}`);
  }
  await click('button', 'OK');
  assert.deepEqual(await page.evaluate(() => window.__dialogs()), []);
});

test('Search header finds both movies of one file and opens the second', async () => {
  const first = readFileSync(SAMPLE), second = readFileSync(repoFile('tests/data/silent_96x64.cpk'));
  // The scan looks at 2 KiB steps: the second movie starts on one.
  const both = join(tempDir(), 'two.cpk');
  writeFileSync(both, Buffer.concat([first, Buffer.alloc(-first.length & 2047), second]));
  const lines = cli('headers', both).trim().split('\n');
  assert.equal(lines.length, 2);
  await openBytes(page, both);
  await chooseMenu('Edit', 'Search header...');
  await click('button', 'Search');
  await page.waitForFunction((n) => window.__zq('[role="option"]').length >= n, { timeout: 5000 }, lines.length);
  assert.deepEqual(await page.evaluate(() => window.__zq('[role="option"]').map((o) => o.textContent.trim())), lines);
  await click('option', lines[1]);
  await click('button', 'OK');
  await until((s) => s[3].replace(/ /g, '') === '96x64');
});

test('Ctrl+O opens the file chooser and plays the chosen movie', async () => {
  await clickPicture();
  const [chooser] = await Promise.all([page.waitForFileChooser({ timeout: 3000 }), chord('Control', 'o')]);
  await chooser.accept([repoFile('tests/data/testsrc_s16_stereo.cpk')]);
  await until((s) => s[1] === 'Play...' && s[3].replace(/ /g, '') === '160x120');
});

test('the toolbar mode survives a reload', async () => {
  // Hidden, which no new page is, then back.
  for (const [mode, shown] of [['Hide', false], ['Button style', true]]) {
    await chooseMenu('View', 'Toolbar', mode);
    await page.reload({ waitUntil: 'load' });
    await ready(page);
    await expectStates(['View', 'Toolbar'], { [mode]: [false, true] }, mode);
    assert.equal(await page.$('aria/[role="toolbar"]') !== null, shown, `${mode}: toolbar shown`);
  }
});
