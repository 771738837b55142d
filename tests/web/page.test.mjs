// The page as a whole: the two ways it is loaded, damaged movies, and what
// it costs while nothing plays.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { once } from 'node:events';
import { readdirSync, readFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, test } from 'node:test';
import {
  closeAll, CLI, Cmd, PAGE, SAMPLE, command, launch, openBytes, openPage, repoFile, waitStatus,
} from './harness.mjs';

after(closeAll);
const browser = await launch();

const playsSample = (page) => waitStatus(page, (s) => s[1] === 'Play...' && Number(s[2]) > 0);

// Closes whatever messages the page shows, returning their texts.
const takeMessages = (page) => page.evaluate(() => window.__zq('dialog[open]').map((d) => (d.close(), d.textContent)));

test('from file://: ?movie= cannot load and says so; damaged movies: the player\'s own message or what ' +
     'can be played; the sample then plays', async (t) => {
  // fetch() of file:// is blocked, so ?movie= cannot load there; the page
  // says so (the browser's own console errors aside) and still opens bytes.
  const movie = encodeURIComponent(pathToFileURL(SAMPLE).href);
  const page = await openPage(browser, `${pathToFileURL(PAGE).href}?movie=${movie}`);
  t.after(() => page.close()); // nothing of it left running while the next test meters the page
  await page.waitForFunction(() => window.__dialogs().length > 0, { timeout: 5000 });
  assert.match((await takeMessages(page)).join(), /sample\.cpk/);
  page.problems = page.problems.filter((p) => !(p.startsWith('console:') && /file:|Failed to (load|fetch)|ERR_FAILED/i.test(p)));
  const dir = repoFile('tests/data/malformed');
  for (const name of readdirSync(dir).sort()) {
    const file = join(dir, name);
    await openBytes(page, file);
    // zentrov-cli tells which ones the core refuses (exit 3).
    if (spawnSync(CLI, ['info', file]).status === 3) {
      await page.waitForFunction(() => window.__dialogs().length > 0, { timeout: 3000 }).catch(() => {});
      assert.match((await takeMessages(page)).join(), /未知のヘッダです。　再生できません。/, name);
    } else {
      const s = await waitStatus(page, (s) => ['Play...', 'End.'].includes(s[1]));
      assert.deepEqual(await takeMessages(page), [], `${name} (${s[1]})`);
    }
    assert.deepEqual(page.problems, [], name);
  }
  await openBytes(page, SAMPLE);
  await playsSample(page);
  assert.deepEqual(page.problems, []);
});

// Processor time of the page over a quiet window, as shares of a core: the
// renderer's main thread (DevTools' TaskDuration), the renderer processes as
// a whole (audio worklet included) and, printed beside them, the browser's
// audio service. Each is the least of `windows` 2-second windows, so that a
// stray collection on a busy machine does not count; a page that polls or
// animates while idle still shows in every window.
const IDLE_LIMIT = 0.02;
async function cpuShares(page, windows) {
  const cdp = await page.createCDPSession(), system = await page.browser().target().createCDPSession();
  await cdp.send('Performance.enable');
  const clocks = async () => {
    const { metrics } = await cdp.send('Performance.getMetrics');
    const { processInfo } = await system.send('SystemInfo.getProcessInfo');
    const cpu = (kind) => processInfo.filter((p) => kind.test(p.type)).reduce((sum, p) => sum + p.cpuTime, 0);
    return [metrics.find((m) => m.name === 'TaskDuration').value, cpu(/^renderer$/), cpu(/audio/i)];
  };
  let best = [Infinity, Infinity, Infinity];
  for (let i = 0; i < windows; ++i) {
    const start = await clocks();
    await new Promise((r) => setTimeout(r, 2000));
    best = (await clocks()).map((t, k) => Math.min(best[k], (t - start[k]) / 2));
  }
  return best;
}

test('served over HTTP, ?movie= plays the sample; paused or ended it costs under 2% of a core', async (t) => {
  // The page is one file: a site serves it and the movie, and nothing else.
  const files = { '/zentrov.html': PAGE, '/sample.cpk': SAMPLE };
  const server = createServer((request, response) => {
    const file = files[new URL(request.url, 'http://localhost').pathname];
    response.writeHead(file ? 200 : 404).end(file && readFileSync(file));
  }).listen(0, '127.0.0.1');
  t.after(() => server.close());
  await once(server, 'listening');
  const page = await openPage(browser, `http://127.0.0.1:${server.address().port}/zentrov.html?movie=sample.cpk`);
  await playsSample(page);
  assert.equal(await page.title(), 'sample.cpk - Zentrov');
  await command(page, Cmd.loop);
  // The same meter while the movie plays (looped) must see that work.
  for (const [state, reach] of [
    ['playing', () => {}],
    ['paused', async () => { await command(page, Cmd.playPause); await waitStatus(page, (s) => s[1] === 'Pause.'); }],
    ['ended', async () => {
      await command(page, Cmd.loop);
      await command(page, Cmd.playPause);
      await waitStatus(page, (s) => s[1] === 'End.', 10000);
    }],
  ]) {
    await reach();
    const [main, renderer, audio] = await cpuShares(page, state === 'playing' ? 1 : 3);
    const line = `${state}: main thread ${(100 * main).toFixed(2)}%, renderer processes ` +
      `${(100 * renderer).toFixed(2)}%, audio service ${(100 * audio).toFixed(2)}% of a core`;
    console.log(line);
    assert.ok(state === 'playing' ? main > 0 && renderer > 0 : main < IDLE_LIMIT && renderer < IDLE_LIMIT, line);
  }
  assert.deepEqual(page.problems, []);
});
