// Shared harness of the web player's tests: Debian's chromium driven by
// puppeteer-core, the page's element reached through its test contract and
// its accessible structure, and zentrov-cli as the reference.
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { basename, join } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';

const REPO = fileURLToPath(new URL('../..', import.meta.url));
export const PAGE = process.env.ZENTROV_PAGE ?? join(REPO, 'build/web/zentrov.html');
export const CLI = process.env.ZENTROV_CLI ?? join(REPO, 'build/debug/zentrov-cli');
export const SAMPLE = join(REPO, 'samples/sample.cpk');
export const repoFile = (p) => join(REPO, p);
export const Cmd = { replay: 40013, playPause: 40014, nextFrame: 40015, loop: 40016 };

// Browsers and folders made here; a test file ends them after its tests
// with after(closeAll).
const cleanups = [];
export async function closeAll() {
  while (cleanups.length) await cleanups.pop()();
}

export const cli = (...args) => execFileSync(CLI, args, { encoding: 'utf8', maxBuffer: 64 << 20 });

export const info = (movie) => Object.fromEntries(cli('info', movie).trim().split('\n').map((l) => l.split(': ')));

// The AbsTime column of zentrov-cli's sample table, in table order: a time or 'AUDIO'.
export const tableTimes = (movie) =>
  cli('table', movie).trim().split('\n').slice(1).map((row) => row.split('\t')[1]);

export function tempDir() {
  const dir = mkdtempSync(join(tmpdir(), 'zentrov-web-'));
  cleanups.push(() => rmSync(dir, { recursive: true, force: true }));
  return dir;
}

export async function launch() {
  if (!existsSync(PAGE)) throw new Error(`${PAGE} is missing: build it with the web preset first`);
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium', headless: true,
    args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required', '--window-size=1024,768'],
  });
  cleanups.push(() => browser.close());
  return browser;
}

// In every document: a deep query through open shadow roots, and readers of
// the element's accessible state.
function pageHelpers() {
  window.__zq = (sel, root = document) => [...root.querySelectorAll(sel), ...[...root.querySelectorAll('*')]
    .filter((e) => e.shadowRoot).flatMap((e) => window.__zq(sel, e.shadowRoot))];
  window.__player = () => document.getElementById('player');
  window.__status = () =>
    [0, 1, 2, 3, 4].map((i) => window.__zq(`[role="status"] [data-part="${i}"]`)[0]?.textContent ?? null);
  window.__dialogs = () => window.__zq('dialog[open]')
    .map((d) => ({ label: d.getAttribute('aria-label'), text: d.textContent }));
}

// A player page: url defaults to the page from disk. `page.problems` collects
// uncaught exceptions, console errors and alert()s; the page's messages are
// its own dialogs.
export async function openPage(browser, url = pathToFileURL(PAGE).href) {
  const page = await browser.newPage();
  page.problems = [];
  page.on('pageerror', (e) => page.problems.push(`pageerror: ${e.message}`));
  page.on('console', (m) => m.type() === 'error' && page.problems.push(`console: ${m.text()}`));
  page.on('dialog', (d) => { page.problems.push(`alert: ${d.message()}`); d.accept(); });
  await page.evaluateOnNewDocument(pageHelpers);
  await page.goto(url, { waitUntil: 'load' });
  await ready(page);
  return page;
}

export const ready = (page) =>
  page.evaluate(() => customElements.whenDefined('zentrov-player').then(() => window.__player().ready));

export const openBytes = (page, file) => page.evaluate(
  (name, b64) => window.__player().openBytes(name, Uint8Array.fromBase64(b64).buffer),
  basename(file), readFileSync(file).toString('base64'));

export const command = (page, id) => page.evaluate((id) => window.__player().command(id), id);
export const status = (page) => page.evaluate(() => window.__status());

// Waits until the status bar satisfies `test(parts)`, a function of plain
// data evaluated in the page.
export async function waitStatus(page, test, timeout = 15000) {
  await page.waitForFunction(`(${test})(window.__status())`, { timeout, polling: 20 }).catch(async (e) => {
    throw new Error(`status ${JSON.stringify(await status(page))} never met ${test}: ${e.message}`);
  });
  return status(page);
}
