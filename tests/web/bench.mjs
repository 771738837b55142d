// Decode rates in the page: node bench.mjs SECONDS MOVIE...
// Prints one line per movie: "NAME VIDEO CONVERT AUDIO CPU", the three rates
// of the element's benchDecode ("-" for none) and the share of a core the
// renderer had meanwhile (below 1 on a busy machine lowers the page's rates,
// which it measures by the clock).
import { readFileSync } from 'node:fs';
import { basename } from 'node:path';
import { closeAll, launch, openPage } from './harness.mjs';

const [seconds, ...movies] = process.argv.slice(2);
const browser = await launch();
const page = await openPage(browser);
const system = await browser.target().createCDPSession();
const cpu = async () => (await system.send('SystemInfo.getProcessInfo')).processInfo
  .filter((p) => p.type === 'renderer').reduce((sum, p) => sum + p.cpuTime, 0);
const rate = (r) => (r > 0 ? r.toFixed(1) : '-');

for (const movie of movies) {
  await page.evaluate((b64) => { window.__benchBytes = Uint8Array.fromBase64(b64).buffer; },
                      readFileSync(movie).toString('base64'));
  const [c0, t0] = [await cpu(), performance.now()];
  const r = await page.evaluate((s) => window.__player().benchDecode(window.__benchBytes, s), Number(seconds));
  const share = (await cpu() - c0) / ((performance.now() - t0) / 1000);
  console.log(`${basename(movie, '.cpk')} ${rate(r.video)} ${rate(r.convert)} ${rate(r.audio)} ${share.toFixed(2)}`);
}
if (page.problems.length) console.error(page.problems.join('\n'));
await closeAll();
