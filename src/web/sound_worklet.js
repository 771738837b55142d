// The sound ring on the audio thread: 1 MiB of 16-bit stereo frames that
// loops while it plays, read frame by frame in order at the movie's rate
// and resampled to the context's. The page writes into it and steers it by
// messages; it reports where it stands so the page can read the play cursor.
const RING_FRAMES = 0x40000;  // 1 MiB of 4-byte frames
const FRAME_MASK = RING_FRAMES - 1;
const REPORT_QUANTA = 4;  // a position report every 4 render quanta (about 11 ms) while playing
const TAP_CHUNK = 16384;  // frames per recorded chunk

function gainOf(hundredthsDb) {
  return hundredthsDb <= -10000 ? 0 : Math.pow(10, hundredthsDb / 2000);
}

class ZentrovRing extends AudioWorkletProcessor {
  constructor() {
    super();
    this.bytes = new Uint8Array(RING_FRAMES * 4);
    this.samples = new Int16Array(this.bytes.buffer);
    this.abs = 0;  // frames from the last set position, counted across wraps
    this.frac = 0;
    this.playing = false;
    this.rate = 44100;
    this.volume = 0;
    this.pan = 0;
    this.gains();
    this.seq = 0;
    this.quanta = 0;
    this.tap = null;
    this.tapFill = 0;
    this.port.onmessage = (e) => this.batch(e.data.list);
  }

  gains() {
    const v = gainOf(this.volume);
    // Pan attenuates the other side, as the sound card does.
    this.left = v * (this.pan > 0 ? gainOf(-this.pan) : 1);
    this.right = v * (this.pan < 0 ? gainOf(this.pan) : 1);
  }

  // A batch is applied whole between two render quanta, in order.
  batch(list) {
    let seq;
    for (const m of list) {
      this.command(m);
      if (m.seq !== undefined) seq = m.seq;
    }
    if (seq !== undefined) {
      this.seq = seq;
      this.report();
    }
  }

  command(m) {
    switch (m.t) {
      case 'write': {
        const data = new Uint8Array(m.data);
        let at = m.offset % this.bytes.length;
        const first = Math.min(data.length, this.bytes.length - at);
        this.bytes.set(data.subarray(0, first), at);
        if (first < data.length) this.bytes.set(data.subarray(first), 0);
        break;
      }
      case 'clear': this.bytes.fill(0); break;
      case 'position':
        this.abs = (m.value >>> 2) & FRAME_MASK;
        this.frac = 0;
        break;
      case 'play': this.playing = true; break;
      case 'stop': this.playing = false; break;
      case 'volume': this.volume = m.value; this.gains(); break;
      case 'pan': this.pan = m.value; this.gains(); break;
      case 'frequency': if (m.value > 0) this.rate = m.value; break;
      case 'tap':
        this.flushTap();
        this.tap = m.on ? new Int16Array(TAP_CHUNK * 2) : null;
        this.tapGeneration = m.generation;
        this.tapFill = 0;
        break;
      default: break;
    }
  }

  // `time`: the context time at which the ring stood at `abs`.
  report(time = currentTime) {
    this.port.postMessage({t: 'position', seq: this.seq, abs: this.abs, time,
                           playing: this.playing});
  }

  flushTap() {
    if (!this.tap || this.tapFill === 0) return;
    const chunk = this.tap.slice(0, this.tapFill * 2);
    this.tapFill = 0;
    this.port.postMessage({t: 'tap', data: chunk, generation: this.tapGeneration}, [chunk.buffer]);
  }

  process(inputs, outputs) {
    const out = outputs[0];
    const l = out[0];
    const r = out[1] || out[0];
    if (!this.playing) {
      l.fill(0);
      if (r !== l) r.fill(0);
      return true;
    }
    const s = this.samples;
    const step = this.rate / sampleRate;
    const gl = this.left / 32768;
    const gr = this.right / 32768;
    for (let i = 0; i < l.length; i++) {
      const a = (this.abs & FRAME_MASK) * 2;
      const b = ((this.abs + 1) & FRAME_MASK) * 2;
      const f = this.frac;
      l[i] = (s[a] + (s[b] - s[a]) * f) * gl;
      r[i] = (s[a + 1] + (s[b + 1] - s[a + 1]) * f) * gr;
      this.frac += step;
      while (this.frac >= 1) {
        if (this.tap) {
          const at = (this.abs & FRAME_MASK) * 2;
          this.tap[this.tapFill * 2] = s[at];
          this.tap[this.tapFill * 2 + 1] = s[at + 1];
          if (++this.tapFill === TAP_CHUNK) this.flushTap();
        }
        this.abs++;
        this.frac -= 1;
      }
    }
    // The tap goes out every quantum, so nothing is held back when the
    // context is suspended after a stop.
    this.flushTap();
    if (++this.quanta % REPORT_QUANTA === 0) this.report(currentTime + l.length / sampleRate);
    return true;
  }
}

registerProcessor('zentrov-ring', ZentrovRing);
