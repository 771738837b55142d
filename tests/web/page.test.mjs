// The page as a whole: damaged movies, the two ways it is loaded, and what
// it costs while nothing plays.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { copyFileSync, readdirSync } from 'node:fs';
import { basename, join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, test } from 'node:test';
import {
  closeAll, CLI, Cmd, PAGE, SAMPLE, UNKNOWN_HEADER, command, launch, openBytes, openDialogs, openPage,
  repoFile, serve, tempDir, waitStatus,
} from './harness.mjs';

after(closeAll);

let browser;
before(async () => { browser = await launch(); });

const playsSample = (page) => waitStatus(page, (s) => s[1] === 'Play...' && Number(s[2]) > 0);

// Closes whatever message the page shows, returning its texts.
async function takeMessages(page) {
  const texts = [...page.alerts, ...(await openDialogs(page)).map((d) => d.text)];
  page.alerts.length = 0;
  await page.evaluate(() => window.__zq('dialog').forEach((d) => d.open && d.close()));
  return texts;
}

test('damaged movies: the player\'s own message or what can be played; the page goes on', async () => {
  const page = await openPage(browser);
  const dir = repoFile('tests/data/malformed');
  for (const name of readdirSync(dir).sort()) {
    const file = join(dir, name);
    // zentrov-cli tells which ones the core refuses (exit 3).
    const refused = spawnSync(CLI, ['info', file]).status === 3;
    await openBytes(page, file);
    if (refused) {
      await page.waitForFunction(() => window.__dialogs().length > 0, { timeout: 3000 }).catch(() => {});
      const messages = await takeMessages(page);
      assert.ok(messages.some((m) => m.includes(UNKNOWN_HEADER)), `${name}: messages ${JSON.stringify(messages)}`);
    } else {
      const s = await waitStatus(page, (s) => ['Play...', 'End.'].includes(s[1]));
      assert.deepEqual(await takeMessages(page), [], `${name} (${s[1]})`);
    }
    assert.deepEqual(page.problems, [], name);
  }
  await openBytes(page, SAMPLE);
  await playsSample(page);
  assert.deepEqual(page.problems, []);
  await page.close();
});

test('the sample plays from file://', async () => {
  // fetch() of file:// is blocked, so ?movie= cannot load there; the page
  // says so (the browser's own console errors aside) and still opens bytes.
  const url = `${pathToFileURL(PAGE).href}?movie=${encodeURIComponent(pathToFileURL(SAMPLE).href)}`;
  const page = await openPage(browser, url);
  await page.waitForFunction(() => window.__dialogs().length > 0, { timeout: 5000 });
  assert.match((await takeMessages(page)).join(), /sample\.cpk/);
  page.problems = page.problems.filter((p) => !(p.startsWith('console:') && /file:|Failed to (load|fetch)|ERR_FAILED/i.test(p)));
  await openBytes(page, SAMPLE);
  await playsSample(page);
  assert.deepEqual(page.problems, []);
  await page.close();
});

test('the sample plays served over HTTP with ?movie=', async () => {
  const root = tempDir();
  for (const f of ['zentrov.html', 'zentrov-player.js']) copyFileSync(join(PAGE, '..', f), join(root, f));
  copyFileSync(SAMPLE, join(root, 'sample.cpk'));
  const page = await openPage(browser, `${await serve(root)}${basename(PAGE)}?movie=sample.cpk`);
  await playsSample(page);
  assert.equal(await page.evaluate(() => document.title), 'sample.cpk - Zentrov');
  assert.deepEqual(page.problems, []);
  await page.close();
});

// Processor time of the page over a quiet window: the renderer's main thread
// (DevTools' TaskDuration) and the renderer processes as a whole (audio
// worklet included); the browser's audio service is printed beside them. Each is the least of three 2-second windows, so that a
// stray collection on a busy machine does not count; a page that polls or
// animates while idle still shows in every window.
const IDLE_SECONDS = 2;
const IDLE_LIMIT = 0.02; // of one core

async function idleCost(page, cdp, system, windows = 3) {
  const taskTime = async () => (await cdp.send('Performance.getMetrics')).metrics
    .find((m) => m.name === 'TaskDuration').value;
  const processTime = async (kind) => (await system.send('SystemInfo.getProcessInfo')).processInfo
    .filter((p) => kind.test(p.type)).reduce((sum, p) => sum + p.cpuTime, 0);
  const clocks = () => Promise.all([taskTime(), processTime(/^renderer$/), processTime(/audio/i)]);
  const best = [Infinity, Infinity, Infinity];
  for (let i = 0; i < windows; ++i) {
    const before = await clocks();
    await new Promise((r) => setTimeout(r, IDLE_SECONDS * 1000));
    const after = await clocks();
    for (let k = 0; k < 3; ++k) best[k] = Math.min(best[k], (after[k] - before[k]) / IDLE_SECONDS);
  }
  const [main, renderer, audio] = best;
  return { main, renderer, audio };
}

test('an idle page (paused, ended) costs under 2% of a core', async () => {
  const page = await openPage(browser);
  const cdp = await page.createCDPSession();
  await cdp.send('Performance.enable');
  const system = await browser.target().createCDPSession();
  await openBytes(page, SAMPLE);
  await playsSample(page);
  await command(page, Cmd.loop);
  // The same meter while the movie plays (looped): it must see that work.
  const playing = await idleCost(page, cdp, system, 1);
  const results = [];
  for (const [state, reach] of [
    ['paused', async () => { await command(page, Cmd.playPause); await waitStatus(page, (s) => s[1] === 'Pause.'); }],
    ['ended', async () => {
      await command(page, Cmd.loop);
      await command(page, Cmd.playPause);
      await waitStatus(page, (s) => s[1] === 'End.', 10000);
    }],
  ]) {
    await reach();
    results.push([state, await idleCost(page, cdp, system)]);
  }
  const percent = (x) => `${(100 * x).toFixed(2)}%`;
  for (const [state, cost] of [['playing', playing], ...results])
    console.log(`${state}: main thread ${percent(cost.main)}, renderer processes ${percent(cost.renderer)}, ` +
                `audio service ${percent(cost.audio)} of a core`);
  assert.ok(playing.main > 0 && playing.renderer > 0, 'the meter sees a playing page');
  for (const [state, cost] of results) {
    assert.ok(cost.main < IDLE_LIMIT, `${state}: main thread ${percent(cost.main)}`);
    assert.ok(cost.renderer < IDLE_LIMIT, `${state}: renderer ${percent(cost.renderer)}`);
  }
  await page.close();
});
