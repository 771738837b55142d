// The page decodes as the core does natively: every picture the canvas
// shows and every sound frame the worklet plays equal zentrov-cli's output.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdirSync, readdirSync, readFileSync } from 'node:fs';
import { basename, join } from 'node:path';
import { after, afterEach, test } from 'node:test';
import {
  closeAll, Cmd, SAMPLE, cli, command, info, launch, openBytes, openPage, repoFile, tableTimes, tempDir, waitStatus,
} from './harness.mjs';

after(closeAll);

// Movies and whether they have sound, all opened one after another in one
// page as a user would; the last is made by ffmpeg.
const dir = tempDir();
const movies = [
  [SAMPLE, true],
  [repoFile('tests/data/testsrc_s16_stereo.cpk'), true], // 16-bit stereo
  [repoFile('tests/data/gray_s8_mono.cpk'), true], // 8-bit mono, 196x148
  [repoFile('tests/data/silent_96x64.cpk'), false],
  [repoFile('tests/data/malformed/undamaged_adx_reference.cpk'), true], // ADX, 64x64
  [join(dir, 'adx_100x60.cpk'), true], // ADX, shown 100x64
].map(([movie, sound]) => ({ movie, name: basename(movie), sound }));

// ADX sound in a picture narrower than a strip's multiple and shorter than
// the player's smallest frame, which the committed movies lack.
execFileSync('ffmpeg', ['-hide_banner', '-loglevel', 'error', '-y',
  '-f', 'lavfi', '-i', 'testsrc=size=100x60:rate=10', '-f', 'lavfi', '-i', 'sine=frequency=440:sample_rate=22050',
  '-t', '1.5', '-c:v', 'cinepak', '-c:a', 'adpcm_adx', '-ac', '2', '-f', 'film_cpk', movies.at(-1).movie]);
const page = await openPage(await launch());
afterEach(() => assert.deepEqual(page.problems.splice(0), []));

// zentrov-cli's sound as 16-bit stereo after the WAV's 44-byte header.
function cliSound(movie, out) {
  cli('audio', movie, join(out, 'sound.wav'));
  const b = readFileSync(join(out, 'sound.wav'));
  return { rate: b.readUInt32LE(24), samples: new Int16Array(b.buffer, b.byteOffset + 44, (b.length - 44) >> 1) };
}

// "" when the canvas, once drawn, shows the picture of BMP `file`, else what differs.
const pictureDiff = (file) => page.evaluate(async (b64) => {
  await new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r)));
  const pixels = (image) => {
    const copy = new OffscreenCanvas(image.width, image.height).getContext('2d');
    copy.drawImage(image, 0, 0);
    return copy.getImageData(0, 0, image.width, image.height).data;
  };
  const { canvas } = window.__player();
  const want = await createImageBitmap(new Blob([Uint8Array.fromBase64(b64)]), { colorSpaceConversion: 'none' });
  if (canvas.width !== want.width || canvas.height !== want.height)
    return `size ${canvas.width}x${canvas.height}, want ${want.width}x${want.height}`;
  const [got, wanted] = [pixels(canvas), pixels(want)];
  const p = wanted.findIndex((v, i) => got[i] !== v) >> 2, at = (a) => a.slice(4 * p, 4 * p + 4);
  return p < 0 ? '' : `${wanted.filter((v, i) => got[i] !== v).length} bytes differ, first at ` +
    `(${p % want.width},${(p / want.width) | 0}): got ${at(got)}, want ${at(wanted)}`;
}, readFileSync(file).toString('base64'));

for (const { movie, name, sound } of movies) {
  test(`${name} as played and stepped through equals zentrov-cli audio and frames`, async () => {
    const out = join(dir, `${name}.out`);
    mkdirSync(out);
    const end = Math.max(...tableTimes(movie).filter((t) => t !== 'AUDIO')) / Number(info(movie)['Frame rate base']);

    // The tap holds what the worklet took from the ring while the movie
    // played at its own pace. It must follow the WAV from its first sample
    // with nothing missing, changed or put in between, at least up to the
    // last picture's time (the sound stops at "End.").
    await page.evaluate(async () => {
      window.__player().setAudioTap(true);
      await window.__player().takeAudioTap(); // nothing of the movie before
    });
    await openBytes(page, movie);
    await waitStatus(page, (s) => s[1] === 'End.', 10000 + 3000 * end);
    const tap = await page.evaluate(async () => {
      const tap = await window.__player().takeAudioTap();
      window.__player().setAudioTap(false);
      return [...tap];
    });
    const wav = sound ? cliSound(movie, out) : { rate: 0, samples: new Int16Array(tap.length) }; // silence
    let same = 0;
    while (same < tap.length && tap[same] === wav.samples[same]) ++same;
    const at = (a, i) => `[${a.slice(i, i + 8)}]`;
    assert.ok(same === tap.length, `tap differs at sound frame ${same >> 1} of ${tap.length >> 1} ` +
      `(${(same / 2 / wav.rate).toFixed(3)} s): tap ${at(tap, same)}, wav ${at(wav.samples, same)}`);
    const needed = Math.floor((end - 0.05) * wav.rate) * 2;
    assert.ok(tap.length >= needed,
      `tap holds ${tap.length >> 1} sound frames, want at least ${needed >> 1} of ${wav.samples.length >> 1}`);

    // Then from the first entry again, one step at a time to the end.
    cli('frames', movie, out, '--format', 'bmp');
    const want = new Map(readdirSync(out).filter((f) => f.endsWith('.bmp')).sort()
      .map((f) => [parseInt(f, 10), join(out, f)]));
    await command(page, Cmd.replay);
    for (const [index, file] of want) {
      await waitStatus(page, new Function('s', `return s[2] === '${index}'`));
      const diff = await pictureDiff(file);
      assert.equal(diff, '', `entry ${index}: ${diff}`);
      await command(page, Cmd.nextFrame);
    }
    // Nothing shown after the last picture.
    await waitStatus(page, new Function('s', `return s[1] === 'End.' && s[2] === '${[...want.keys()].at(-1)}'`));
  });
}
