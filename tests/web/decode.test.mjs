// The page decodes as the core does natively: every picture the canvas
// shows and every sound frame the worklet plays equal zentrov-cli's output.
import assert from 'node:assert/strict';
import { mkdirSync } from 'node:fs';
import { basename, join } from 'node:path';
import { after, before, test } from 'node:test';
import {
  closeAll, Cmd, SAMPLE, canvasPixels, cli, cliFrames, command, info, launch, makeAdxMovie, openBytes,
  openPage, pictureDiff, readBmp, readWav, repoFile, settle, status, table, takeAudioTap,
  tempDir, waitStatus,
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
let page;

before(async () => {
  makeAdxMovie(dir);
  page = await openPage(await launch());
});

for (const { movie, name } of movies) {
  test(`every frame of ${name} equals zentrov-cli frames`, async () => {
    const out = join(dir, `${name}.frames`);
    mkdirSync(out);
    const want = cliFrames(movie, out);
    await openBytes(page, movie);
    if ((await status(page))[1] === 'Play...') await command(page, Cmd.playPause);
    await waitStatus(page, (s) => s[1] === 'Pause.' || s[1] === 'End.');
    // From the first entry again, one step at a time to the end.
    await command(page, Cmd.replay);
    const first = [...want.keys()][0];
    await waitStatus(page, new Function('s', `return s[2] === '${first}'`));
    const seen = [];
    for (let shown = String(first); ;) {
      await settle(page);
      const index = Number(shown);
      seen.push(index);
      assert.ok(want.has(index), `the page showed entry ${index}, which is no picture`);
      const diff = pictureDiff(await canvasPixels(page), readBmp(want.get(index)));
      assert.equal(diff, '', `${name} entry ${index}: ${diff}`);
      await command(page, Cmd.nextFrame);
      const s = await waitStatus(page, new Function('s', `return s[2] !== '${shown}' || s[1] === 'End.'`));
      if (s[2] === shown) break;
      shown = s[2];
    }
    assert.deepEqual(seen, [...want.keys()]);
    assert.deepEqual(page.problems, []);
  });
}

// The tap holds what the worklet took from the ring while the movie played
// at its own pace. It must follow the WAV from its first sample with nothing
// missing, changed or put in between, at least up to the last picture's time
// (the sound stops at "End.").
for (const { movie, name } of movies.filter((m) => m.sound)) {
  test(`the sound of ${name} as played equals zentrov-cli audio`, async () => {
    const wavFile = join(dir, `${name}.wav`);
    cli('audio', movie, wavFile);
    const wav = readWav(wavFile);
    const props = info(movie);
    assert.equal(wav.rate, parseInt(props['PCM frequency'], 10));
    const lastPicture = Math.max(...table(movie).filter((e) => !e.audio).map((e) => e.time));
    const needed = Math.floor((lastPicture / Number(props['Frame rate base']) - 0.05) * wav.rate) * 2;

    await command(page, Cmd.normal);
    await page.evaluate(async () => {
      window.__player().setAudioTap(true);
      await window.__player().takeAudioTap(); // nothing of the movie before
    });
    await openBytes(page, movie);
    const seconds = wav.samples.length / 2 / wav.rate;
    await waitStatus(page, (s) => s[1] === 'End.', 10000 + 3000 * seconds);
    const tap = await takeAudioTap(page);
    await page.evaluate(() => window.__player().setAudioTap(false));

    let same = 0;
    while (same < tap.length && same < wav.samples.length && tap[same] === wav.samples[same]) ++same;
    const at = (a, i) => `[${a.subarray(i, i + 8)}]`;
    assert.ok(same === tap.length,
      `${name}: tap differs at sound frame ${same >> 1} of ${tap.length >> 1} ` +
      `(${(same / 2 / wav.rate).toFixed(3)} s): tap ${at(tap, same)}, wav ${at(wav.samples, same)}`);
    assert.ok(tap.length >= needed,
      `${name}: tap holds ${tap.length >> 1} sound frames, want at least ${needed >> 1} of ${wav.samples.length >> 1}`);
    console.log(`${name}: ${tap.length >> 1} of ${wav.samples.length >> 1} sound frames tapped, all equal`);
    assert.deepEqual(page.problems, []);
  });
}
