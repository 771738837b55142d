// Shared harness of the web player's tests: Debian's chromium driven by
// puppeteer-core, the page's element reached through its test contract and
// its accessible structure, and zentrov-cli as the reference.
import { execFileSync, spawn } from 'node:child_process';
import { createInterface } from 'node:readline';
import { existsSync, mkdtempSync, readFileSync, readdirSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { basename, join } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';

const REPO = fileURLToPath(new URL('../..', import.meta.url));
export const PAGE = process.env.ZENTROV_PAGE ?? join(REPO, 'build/web/zentrov.html');
export const CLI = process.env.ZENTROV_CLI ?? join(REPO, 'build/debug/zentrov-cli');
export const SAMPLE = join(REPO, 'samples/sample.cpk');
export const repoFile = (p) => join(REPO, p);

// Browsers, servers and folders made here; a test file ends them after its
// tests with after(closeAll).
const cleanups = [];
export async function closeAll() {
  while (cleanups.length) await cleanups.pop()();
}

export const Cmd = { normal: 40006, replay: 40013, playPause: 40014, nextFrame: 40015, loop: 40016 };
export const UNKNOWN_HEADER = '未知のヘッダです。　再生できません。';

export function cli(...args) {
  return execFileSync(CLI, args, { encoding: 'utf8', maxBuffer: 64 << 20 });
}

// The sample table as zentrov-cli prints it: [{audio, time}] in table order.
export function table(movie) {
  return cli('table', movie).trim().split('\n').slice(1).map((row) => {
    const [, abs] = row.split('\t');
    return { audio: abs === 'AUDIO', time: abs === 'AUDIO' ? null : Number(abs) };
  });
}

export function info(movie) {
  return Object.fromEntries(cli('info', movie).trim().split('\n').map((l) => l.split(': ')));
}

export function tempDir() {
  const dir = mkdtempSync(join(tmpdir(), 'zentrov-web-'));
  cleanups.push(() => rmSync(dir, { recursive: true, force: true }));
  return dir;
}

const ff = (...args) => execFileSync('ffmpeg', ['-hide_banner', '-loglevel', 'error', '-y', ...args]);

// Movies the committed ones do not cover, made by ffmpeg as a black box:
// ADX sound in a picture narrower than a strip's multiple and shorter than
// the player's smallest frame.
export function makeAdxMovie(dir) {
  ff('-f', 'lavfi', '-i', 'testsrc=size=100x60:rate=10', '-f', 'lavfi',
     '-i', 'sine=frequency=440:sample_rate=22050', '-t', '1.5', '-c:v', 'cinepak',
     '-c:a', 'adpcm_adx', '-ac', '2', '-f', 'film_cpk', join(dir, 'adx_100x60.cpk'));
}

// A 24-bit bottom-up BMP as top-down RGBA.
export function readBmp(file) {
  const b = readFileSync(file);
  const offset = b.readUInt32LE(10), width = b.readInt32LE(18), height = b.readInt32LE(22);
  if (b.readUInt16LE(28) !== 24 || height <= 0) throw new Error(`${file}: not a bottom-up 24-bit BMP`);
  const stride = (width * 3 + 3) & ~3, rgba = Buffer.alloc(width * height * 4);
  for (let y = 0; y < height; ++y) {
    const row = offset + (height - 1 - y) * stride;
    for (let x = 0; x < width; ++x) {
      const s = row + x * 3, d = (y * width + x) * 4;
      rgba[d] = b[s + 2]; rgba[d + 1] = b[s + 1]; rgba[d + 2] = b[s]; rgba[d + 3] = 255;
    }
  }
  return { width, height, rgba };
}

// zentrov-cli frames as BMPs: Map(table index -> file).
export function cliFrames(movie, dir) {
  cli('frames', movie, dir, '--format', 'bmp');
  return new Map(readdirSync(dir).filter((f) => f.endsWith('.bmp')).sort()
    .map((f) => [Number(f.slice(0, -4)), join(dir, f)]));
}

// zentrov-cli audio writes one 44-byte header: 16-bit stereo from byte 44.
export function readWav(file) {
  const b = readFileSync(file);
  return { rate: b.readUInt32LE(24), samples: new Int16Array(b.buffer.slice(b.byteOffset + 44, b.byteOffset + b.length)) };
}

// python3's http.server on a free port of 127.0.0.1; resolves to its address.
export async function serve(root) {
  const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', root],
                       { stdio: ['ignore', 'pipe', 'ignore'] });
  cleanups.push(() => server.kill());
  for await (const line of createInterface({ input: server.stdout })) {
    const port = /port (\d+)/.exec(line)?.[1];
    if (port) return `http://127.0.0.1:${port}/`;
  }
  throw new Error('http.server did not start');
}

export async function launch() {
  if (!existsSync(PAGE))
    throw new Error(`${PAGE} is missing: build it with the web preset first`);
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium', headless: true,
    args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required', '--window-size=1024,768'],
  });
  cleanups.push(() => browser.close());
  return browser;
}

// In every document: a deep query through open shadow roots, and a reader of
// the element's accessible state.
function pageHelpers() {
  window.__zq = (sel, root = document) => {
    const out = [...root.querySelectorAll(sel)];
    for (const e of root.querySelectorAll('*')) if (e.shadowRoot) out.push(...window.__zq(sel, e.shadowRoot));
    return out;
  };
  window.__player = () => document.getElementById('player');
  window.__status = () => {
    const bar = window.__zq('[role="status"]')[0];
    return [0, 1, 2, 3, 4].map((i) => bar?.querySelector(`[data-part="${i}"]`)?.textContent ?? null);
  };
  window.__b64 = (bytes) => {
    let s = '';
    for (let i = 0; i < bytes.length; i += 0x8000) s += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
    return btoa(s);
  };
  window.__dialogs = () => window.__zq('dialog').filter((d) => d.open)
    .map((d) => ({ label: d.getAttribute('aria-label'), text: d.textContent }));
}

// A player page: url defaults to the page from disk. `page.problems` collects
// uncaught exceptions and console errors, `page.alerts` any alert() texts.
export async function openPage(browser, url = pathToFileURL(PAGE).href) {
  const page = await browser.newPage();
  page.problems = [];
  page.alerts = [];
  page.on('pageerror', (e) => page.problems.push(`pageerror: ${e.message}`));
  page.on('console', (m) => m.type() === 'error' && page.problems.push(`console: ${m.text()}`));
  page.on('dialog', (d) => { page.alerts.push(d.message()); d.accept(); });
  await page.evaluateOnNewDocument(pageHelpers);
  await page.goto(url, { waitUntil: 'load' });
  await ready(page);
  return page;
}

export const ready = (page) => page.evaluate(async () => {
  await customElements.whenDefined('zentrov-player');
  await window.__player().ready;
});

export async function openBytes(page, file, name = basename(file)) {
  const b64 = readFileSync(file).toString('base64');
  await page.evaluate(async (name, b64) => {
    const bytes = await (await fetch(`data:application/octet-stream;base64,${b64}`)).arrayBuffer();
    await window.__player().openBytes(name, bytes);
  }, name, b64);
}

export const command = (page, id) => page.evaluate((id) => window.__player().command(id), id);
export const status = (page) => page.evaluate(() => window.__status());
export const openDialogs = (page) => page.evaluate(() => window.__dialogs());

// Waits until the status bar satisfies `test(parts)`, a function of plain
// data evaluated in the page.
export async function waitStatus(page, test, timeout = 15000) {
  const source = test.toString();
  try {
    await page.waitForFunction(`(${source})(window.__status())`, { timeout, polling: 20 });
  } catch (e) {
    throw new Error(`status ${JSON.stringify(await status(page))} never met ${source}: ${e.message}`);
  }
  return status(page);
}

// Two animation frames: whatever the player draws for a state is drawn.
export const settle = (page) => page.evaluate(() => new Promise((r) =>
  requestAnimationFrame(() => requestAnimationFrame(() => r()))));

export async function canvasPixels(page) {
  const { width, height, b64 } = await page.evaluate(() => {
    const canvas = window.__player().canvas;
    const copy = new OffscreenCanvas(canvas.width, canvas.height).getContext('2d');
    copy.drawImage(canvas, 0, 0);
    const data = copy.getImageData(0, 0, canvas.width, canvas.height).data;
    return { width: canvas.width, height: canvas.height, b64: window.__b64(data) };
  });
  return { width, height, rgba: Buffer.from(b64, 'base64') };
}

// "" when equal, else what differs.
export function pictureDiff(got, want) {
  if (got.width !== want.width || got.height !== want.height)
    return `size ${got.width}x${got.height}, want ${want.width}x${want.height}`;
  const first = want.rgba.findIndex((v, i) => got.rgba[i] !== v);
  if (first < 0) return '';
  const bad = want.rgba.filter((v, i) => got.rgba[i] !== v).length;
  const p = first >> 2, x = p % want.width, y = (p / want.width) | 0;
  return `${bad} bytes differ, first at (${x},${y}): got ${[...got.rgba.subarray(p * 4, p * 4 + 4)]}, ` +
         `want ${[...want.rgba.subarray(p * 4, p * 4 + 4)]}`;
}

export async function takeAudioTap(page) {
  const b64 = await page.evaluate(async () => {
    const tap = await window.__player().takeAudioTap();
    return window.__b64(new Uint8Array(tap.buffer, tap.byteOffset, tap.byteLength));
  });
  const b = Buffer.from(b64, 'base64');
  return new Int16Array(b.buffer.slice(b.byteOffset, b.byteOffset + b.length));
}

// The accessible controls, found as a user (or a screen reader) finds them:
// by role and name in the accessibility tree, so only what is shown.
export async function control(page, role, name) {
  const handle = await page.waitForSelector(`aria/${name}[role="${role}"]`, { timeout: 3000 }).catch(() => null);
  if (!handle) throw new Error(`no visible ${role} named "${name}"`);
  return handle;
}

export const click = async (page, role, name) => (await control(page, role, name)).click();

// [disabled, checked or pressed]
export const controlState = async (page, role, name) => (await control(page, role, name)).evaluate((e) => [
  e.disabled === true || e.getAttribute('aria-disabled') === 'true',
  e.getAttribute('aria-checked') === 'true' || e.getAttribute('aria-pressed') === 'true']);

// Opens the menus along `path` (menu, submenus) and returns the states of
// `items` in the last one; Escape closes them again.
export async function menuStates(page, path, items) {
  await chooseMenu(page, ...path);
  const states = {};
  for (const item of items) states[item] = await controlState(page, 'menuitem', item);
  for (const _ of path) await page.keyboard.press('Escape');
  return states;
}

export async function chooseMenu(page, ...path) {
  for (const name of path) await click(page, 'menuitem', name);
}

// The CSS size of the picture on screen.
export const canvasBox = (page) => page.evaluate(() => {
  const r = window.__player().canvas.getBoundingClientRect();
  return { width: Math.round(r.width), height: Math.round(r.height) };
});
