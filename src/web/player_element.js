// <zentrov-player>: the Windows player's window in a page. The core (the
// module) decides everything; this script draws what it is told through the
// ports, holds the sound ring in an audio worklet, stores the movies it is
// given, and hands the user's commands, drops and dialog answers back.

const RING_BYTES = 0x100000;
const RING_FRAMES = RING_BYTES / 4;
const WAIT_FOR_INPUT = -1;
const SLICE_MS = 12;             // longest run of ticks before the page gets a turn
const LEAD_MS = 250;             // sound kept ahead of the play cursor
const BACKGROUND_LEAD_MS = 2000; // in a hidden tab, whose timers run once a second
const EXTRAPOLATE_S = 0.012;     // the cursor runs on from a report by at most this (a report comes every 11 ms)
const MOVIE_FOLDER = '/movies';
const MAX_NAME_BYTES = 259;
const SETTINGS_ITEM = 'Zentrov';
const HANDLE_DB = 'Zentrov';
const CMD = {
  open: 40001, exit: 40002, about: 40003, zoom1: 40010, zoom2: 40011, replay: 40013,
  playPause: 40014, nextFrame: 40015, loop: 40016, property: 40017, prevFrame: 40018,
  copyFrame: 40019, searchHeader: 40020, fullScreen: 40022, recentFirst: 40100, recentLast: 40109,
};
const MENU_ENABLED = 0, MENU_GRAYED = 2;

// The menu of the Windows player, in order; grayed items start grayed.
const MENU = [
  {text: '&File', items: [
    {text: '&Open\tCtrl+O', id: 40001}, {text: '&Close', id: 40024}, {sep: true},
    {recent: true}, {sep: true}, {text: 'E&xit\tAlt+F4', id: 40002}]},
  {text: '&Edit', items: [
    {text: '&Copy(frame)\tCtrl+C', id: 40019}, {sep: true},
    {text: '&Search header...', id: 40020, grayed: true}]},
  {text: '&View', items: [
    {text: '&Play/Pause\tCtrl+P', id: 40014, grayed: true},
    {text: '&FrameRate', items: [{text: 'No &Wait', id: 40005}, {text: '&Normal', id: 40006}]},
    {text: '&Zoom', items: [
      {text: 'x&1', id: 40010}, {text: 'x&2', id: 40011},
      {text: '&Full screen', id: 40022, grayed: true}]},
    {sep: true}, {text: '&Loop', id: 40016}, {text: '&Pcm off', id: 40021}, {sep: true},
    {text: '&Toolbar', items: [
      {text: '&Hide', id: 40038}, {text: '&Button style', id: 40035},
      {text: '&Flat style', id: 40036}, {sep: true}, {text: '&Add string', id: 40037}]},
    {text: '&Status bar', id: 40039}, {sep: true},
    {text: '&Property...\tAlt+Enter', id: 40017, grayed: true}]},
  {text: '&About', items: [
    {text: '&HomePage...', id: 40023}, {sep: true}, {text: '&About...', id: 40003}]},
];

// The toolbar: image index, command id, enabled at first, check button, label.
const TOOLBAR = [
  null, [0, 40001, true, false, 'file open'], null,
  [2, 40013, false, false, 'replay'], [1, 40014, false, true, 'play/pause'],
  [6, 40018, false, false, 'prev frame'], [7, 40015, false, false, 'next frame'], null,
  [8, 40016, true, true, 'loop play'], null,
  [9, 40010, true, false, 'normal size'], [10, 40011, true, false, 'double size'],
  [11, 40022, true, false, 'full screen'],
];

// The accelerators: key test, command id.
const ACCELERATORS = [
  [(e) => e.ctrlKey && !e.altKey && (e.key === 'c' || e.key === 'C'), 40019],
  [(e) => e.ctrlKey && !e.altKey && (e.key === 'o' || e.key === 'O'), 40001],
  [(e) => e.ctrlKey && !e.altKey && (e.key === 'p' || e.key === 'P'), 40014],
  [(e) => e.altKey && !e.ctrlKey && e.key === 'Enter', 40017],
];

function plain(text) {
  return text.split('\t')[0].replace(/&(.)/g, '$1');
}

// The item text with its mnemonic underlined; the letter for its key.
function mnemonicNodes(text) {
  const label = text.split('\t')[0];
  const frag = document.createDocumentFragment();
  let key = '';
  const at = label.indexOf('&');
  if (at < 0 || at === label.length - 1) {
    frag.append(label);
  } else {
    key = label[at + 1].toLowerCase();
    const u = document.createElement('u');
    u.textContent = label[at + 1];
    frag.append(label.slice(0, at), u, label.slice(at + 2));
  }
  return {frag, key};
}

function el(tag, attrs = {}, ...children) {
  const node = document.createElement(tag);
  for (const [k, v] of Object.entries(attrs)) {
    if (k === 'class') node.className = v;
    else if (k.startsWith('on')) node.addEventListener(k.slice(2), v);
    else node.setAttribute(k, v);
  }
  node.append(...children);
  return node;
}

// File System Access handles of opened movies, by name, for the recent items.
const handleStore = {
  open() {
    if (!self.indexedDB) return Promise.resolve(null);
    return new Promise((resolve) => {
      const req = indexedDB.open(HANDLE_DB, 1);
      req.onupgradeneeded = () => req.result.createObjectStore('handles');
      req.onsuccess = () => resolve(req.result);
      req.onerror = () => resolve(null);
    });
  },
  async put(name, handle) {
    try {
      const db = await this.open();
      if (!db) return;
      db.transaction('handles', 'readwrite').objectStore('handles').put(handle, name);
    } catch (e) { /* a page without storage keeps no handles */ }
  },
  async get(name) {
    try {
      const db = await this.open();
      if (!db) return null;
      return await new Promise((resolve) => {
        const req = db.transaction('handles').objectStore('handles').get(name);
        req.onsuccess = () => resolve(req.result || null);
        req.onerror = () => resolve(null);
      });
    } catch (e) {
      return null;
    }
  },
};

class ZentrovPlayer extends HTMLElement {
  static get observedAttributes() { return ['src']; }

  constructor() {
    super();
    this.root = this.attachShadow({mode: 'open'});
    this.module = null;
    this.exited = false;
    this.modal = 0;
    this.timer = 0;
    this.slicePending = false;
    this.menuItems = new Map();
    this.buttons = new Map();
    this.openMenu = null;
    this.messages = [];
    this.fullScreenOn = false;
    this.pendingPresent = null;
    this.tapChunks = [];
    // The sound ring's side on this thread.
    this.audio = null;
    this.node = null;
    this.seq = 0;
    this.playing = false;
    this.rate = 44100;
    this.held = 0;
    this.report = null;
    this.buildUi();
    this.sliceChannel = new MessageChannel();
    this.sliceChannel.port1.onmessage = () => { this.slicePending = false; this.pump(); };
    this.ready = this.startModule();
  }

  // ---- The element's API -------------------------------------------------

  get canvas() { return this.canvasEl; }

  // Opens `arrayBuffer` as a dropped file named `name`.
  async openBytes(name, arrayBuffer) {
    await this.ready;
    this.store(name, new Uint8Array(arrayBuffer));
    this.withModule((m) => this.callString(m._zt_drop, this.fileName(name)));
    this.pump();
  }

  async openUrl(url) {
    const response = await fetch(url);
    if (!response.ok) throw new Error(`${url}: ${response.status}`);
    const bytes = await response.arrayBuffer();
    return this.openBytes(this.nameOfUrl(url), bytes);
  }

  command(id) {
    if (!this.module || this.exited) return;
    this.runCommand(id);
  }

  setAudioTap(on) {
    // Chunks still on their way from an earlier recording are not this one's.
    this.tapGeneration = (this.tapGeneration || 0) + 1;
    this.tapChunks = [];
    this.post({t: 'tap', on: !!on, generation: this.tapGeneration});
  }

  async takeAudioTap() {
    // Chunks still on their way from the audio thread.
    if (this.audio && this.audio.state === 'running') await new Promise((r) => setTimeout(r, 60));
    let length = 0;
    for (const c of this.tapChunks) length += c.length;
    const all = new Int16Array(length);
    let at = 0;
    for (const c of this.tapChunks) { all.set(c, at); at += c.length; }
    this.tapChunks = [];
    return all;
  }

  async benchDecode(arrayBuffer, seconds) {
    await this.ready;
    const m = this.module;
    m.FS.mkdirTree('/bench');
    const path = '/bench/movie.cpk';
    m.FS.writeFile(path, new Uint8Array(arrayBuffer), {canOwn: true});
    try {
      const ptr = this.callString((p) => m._zt_bench(p, seconds || 3), path);
      if (!ptr) throw new Error('the movie does not open');
      const r = m.HEAPF64.subarray(ptr >> 3, (ptr >> 3) + 3);
      return {video: r[0], convert: r[1], audio: r[2]};
    } finally {
      m.FS.unlink(path);
    }
  }

  attributeChangedCallback(name, old, value) {
    if (name === 'src' && value && value !== old) this.openSource(value);
  }

  connectedCallback() {
    if (!this.hasAttribute('tabindex')) this.tabIndex = 0;
  }

  // ---- Start-up ----------------------------------------------------------

  async startModule() {
    const host = this;
    const module = await createZentrovModule({host, print: () => {}, printErr: () => {}});
    module.FS.mkdirTree(MOVIE_FOLDER);
    this.module = module;
    await this.startAudio();
    const ok = this.callString(module._zt_start, MOVIE_FOLDER);
    if (!ok) this.exited = true;
    document.addEventListener('visibilitychange', () => this.visibilityChanged());
    window.addEventListener('pagehide', (e) => { if (!e.persisted) this.teardown(); });
    document.addEventListener('fullscreenchange', () => this.fullScreenChanged());
    this.visibilityChanged();
    return true;
  }

  async startAudio() {
    try {
      this.audio = new AudioContext();
      const url = URL.createObjectURL(new Blob([ZENTROV_WORKLET], {type: 'text/javascript'}));
      try {
        await this.audio.audioWorklet.addModule(url);
      } catch (e) {
        // A page from disk has no origin a blob: address could belong to.
        await this.audio.audioWorklet.addModule(
            `data:text/javascript,${encodeURIComponent(ZENTROV_WORKLET)}`);
      } finally {
        URL.revokeObjectURL(url);
      }
      this.node = new AudioWorkletNode(this.audio, 'zentrov-ring', {
        numberOfInputs: 0, numberOfOutputs: 1, outputChannelCount: [2]});
      this.node.port.onmessage = (e) => this.fromWorklet(e.data);
      this.node.connect(this.audio.destination);
      // Nothing plays until the core starts the ring.
      if (this.audio.state === 'running') this.audio.suspend();
      this.audioAllowed = this.audio.state === 'running' || navigator.userActivation?.hasBeenActive;
    } catch (e) {
      // No sound device: the ring stays silent and its clock stands still.
      this.audioError = String(e && e.message);
      console.warn(`Zentrov: no sound (${e && e.message})`);
      this.node = null;
    }
  }

  // The first gesture lets the page sound.
  gesture() {
    this.audioAllowed = true;
    if (this.audio && this.playing && this.audio.state !== 'running') this.audio.resume();
  }

  // A movie named by the src attribute: fetched at once, opened at once
  // when the page may sound, else after a click on the prompt.
  async openSource(url) {
    let bytes;
    try {
      const response = await fetch(url);
      if (!response.ok) throw new Error(String(response.status));
      bytes = await response.arrayBuffer();
    } catch (e) {
      await this.ready;
      this.message(`${url}\n${e.message || e}`, 'Error');
      return;
    }
    await this.ready;
    const name = this.nameOfUrl(url);
    const mayPlay = this.audio && (this.audio.state === 'running' || this.audioAllowed ||
                                   navigator.userActivation?.isActive);
    if (mayPlay || !this.node) return this.openBytes(name, bytes);
    await this.probeAutoplay();
    if (this.audioAllowed) return this.openBytes(name, bytes);
    this.prompt.textContent = `Click to play ${name}`;
    this.prompt.hidden = false;
    this.prompt.onclick = () => {
      this.prompt.hidden = true;
      this.gesture();
      this.openBytes(name, bytes);
    };
  }

  // Whether the browser lets this page sound without a gesture.
  async probeAutoplay() {
    if (!this.audio) return;
    try {
      await Promise.race([this.audio.resume(), new Promise((r) => setTimeout(r, 200))]);
    } catch (e) { /* not allowed */ }
    if (this.audio.state === 'running') {
      this.audioAllowed = true;
      if (!this.playing) this.audio.suspend();
    }
  }

  nameOfUrl(url) {
    const path = new URL(url, document.baseURI).pathname;
    return decodeURIComponent(path.slice(path.lastIndexOf('/') + 1)) || 'movie.cpk';
  }

  // A name the movie folder can hold: no folders in it.
  fileName(name) {
    let file = String(name).replace(/[\/\\]/g, '_').replace(/^\.+$/, '_') || 'movie.cpk';
    // The player holds 259 bytes of a name: a longer one loses the end of
    // its stem, keeping its extension.
    const bytes = (t) => new TextEncoder().encode(t).length;
    if (bytes(file) > MAX_NAME_BYTES) {
      const dot = file.lastIndexOf('.');
      const ext = dot > 0 && file.length - dot <= 8 ? file.slice(dot) : '';
      let stem = [...file.slice(0, file.length - ext.length)];
      while (stem.length && bytes(stem.join('') + ext) > MAX_NAME_BYTES) stem.pop();
      file = stem.join('') + ext;
    }
    return file;
  }

  // Puts the movie into the module's file system without a copy; the last
  // movie stored is the only one kept (one open file keeps its own).
  store(name, bytes) {
    const fs = this.module.FS;
    const file = this.fileName(name);
    for (const other of fs.readdir(MOVIE_FOLDER)) {
      if (other !== '.' && other !== '..') fs.unlink(`${MOVIE_FOLDER}/${other}`);
    }
    fs.writeFile(`${MOVIE_FOLDER}/${file}`, bytes, {canOwn: true});
    return file;
  }

  hasStored(name) {
    try {
      this.module.FS.stat(`${MOVIE_FOLDER}/${this.fileName(name)}`);
      return true;
    } catch (e) {
      return false;
    }
  }

  callString(fn, text) {
    const m = this.module;
    const bytes = m.lengthBytesUTF8(text) + 1;
    const p = m._malloc(bytes);
    m.stringToUTF8(text, p, bytes);
    try {
      return fn(p);
    } finally {
      m._free(p);
    }
  }

  withModule(fn) {
    if (this.module && !this.exited) fn(this.module);
  }

  teardown() {
    if (!this.module || this.exited) return;
    this.module._zt_destroy();
  }

  // ---- Pacing ------------------------------------------------------------

  // Runs the ticks that are due, then rests as long as the core says: a
  // timer, or nothing at all until the user, a dialog or the ring acts.
  pump() {
    if (!this.module || this.exited || this.modal > 0) return;
    if (this.timer) { clearTimeout(this.timer); this.timer = 0; }
    const m = this.module;
    const start = performance.now();
    let delay;
    for (;;) {
      delay = m._zt_next_delay();
      if (delay !== 0 || this.exited || this.modal > 0) break;
      m._zt_tick();
      if (performance.now() - start > SLICE_MS) {
        if (!this.slicePending) {
          this.slicePending = true;
          this.sliceChannel.port2.postMessage(0);
        }
        return;
      }
    }
    if (delay > 0) this.timer = setTimeout(() => { this.timer = 0; this.pump(); }, delay);
  }

  visibilityChanged() {
    const hidden = document.hidden;
    this.withModule((m) => m._zt_set_sound_lead(hidden ? BACKGROUND_LEAD_MS : LEAD_MS));
    if (!hidden && this.pendingPresent) {
      const p = this.pendingPresent;
      this.pendingPresent = null;
      this.present(...p);
    }
    this.pump();
  }

  // ---- SoundRing ---------------------------------------------------------

  // The ring's messages of one task go over as one: the audio thread may
  // render between two messages, and the ring must not start playing before
  // the sound written with it has arrived.
  post(message, transfer) {
    if (!this.node) return;
    if (!this.outbox) {
      this.outbox = {list: [], transfer: []};
      queueMicrotask(() => this.flush());
    }
    this.outbox.list.push(message);
    if (transfer) this.outbox.transfer.push(...transfer);
  }

  flush() {
    const box = this.outbox;
    this.outbox = null;
    if (box && this.node) this.node.port.postMessage({t: 'batch', list: box.list}, box.transfer);
  }

  fromWorklet(m) {
    if (m.t === 'tap') {
      if (m.generation === this.tapGeneration) this.tapChunks.push(m.data);
    } else if (m.t === 'position') {
      if (m.seq === this.seq) this.report = m;
      // Messages reach a hidden tab on time where its timers do not.
      this.pump();
    }
  }

  // The play cursor: the last report carried on by the context's clock, at
  // most a little past it, and never behind what was read before.
  soundCursor() {
    let abs = this.held;
    const r = this.report;
    if (r && r.seq === this.seq) {
      let ahead = 0;
      if (this.playing && r.playing && this.audio && this.audio.state === 'running') {
        const dt = Math.min(Math.max(this.audio.currentTime - r.time, 0), EXTRAPOLATE_S);
        ahead = Math.floor(dt * this.rate);
      }
      abs = Math.max(abs, r.abs + ahead);
    }
    this.held = abs;
    return (abs % RING_FRAMES) * 4;
  }

  soundWrite(offset, bytes) {
    this.post({t: 'write', offset, data: bytes.buffer}, [bytes.buffer]);
  }

  soundControl(what, value) {
    switch (what) {
      case 'position':
        this.seq++;
        this.held = (value >>> 2) % RING_FRAMES;
        this.report = null;
        this.post({t: what, value, seq: this.seq});
        return;
      case 'play':
        this.seq++;
        this.playing = true;
        this.post({t: what, seq: this.seq});
        if (this.audio && this.audio.state !== 'running' && this.audioAllowed) this.audio.resume();
        return;
      case 'stop':
        this.seq++;
        this.playing = false;
        this.post({t: what, seq: this.seq});
        // An idle page costs nothing: the audio thread rests with the ring.
        if (this.audio && this.audio.state === 'running') this.audio.suspend();
        return;
      case 'frequency':
        if (value > 0) this.rate = value;
        this.post({t: what, value});
        return;
      case 'release':
        this.playing = false;
        if (this.audio) this.audio.close();
        this.audio = null;
        this.node = null;
        return;
      default:
        this.post({t: what, value});
    }
  }

  // ---- FrameOutput -------------------------------------------------------

  present(ptr, width, height, frameWidth, frameHeight) {
    if (document.hidden) {
      this.pendingPresent = [ptr, width, height, frameWidth, frameHeight];
      return;
    }
    const c = this.canvasEl;
    if (frameWidth > 0 && frameHeight > 0 && (c.width !== frameWidth || c.height !== frameHeight)) {
      c.width = frameWidth;
      c.height = frameHeight;
      this.context2d = null;
    }
    if (!this.context2d) this.context2d = c.getContext('2d', {alpha: false});
    const g = this.context2d;
    if (width !== c.width || height !== c.height) {
      g.fillStyle = '#000';
      g.fillRect(0, 0, c.width, c.height);
    }
    if (width > 0 && height > 0) {
      const pixels = new Uint8ClampedArray(this.module.HEAPU8.buffer, ptr, width * height * 4);
      g.putImageData(new ImageData(pixels, width, height), 0, 0);
    }
  }

  layout(zoom, frameWidth, frameHeight, displayWidth, displayHeight) {
    const c = this.canvasEl;
    if (c.width !== frameWidth || c.height !== frameHeight) {
      c.width = frameWidth;
      c.height = frameHeight;
      this.context2d = null;
    }
    if (zoom !== 0) {
      c.style.width = `${displayWidth}px`;
      c.style.height = `${displayHeight}px`;
      this.pictureEl.style.minWidth = `${displayWidth}px`;
      this.pictureEl.style.minHeight = `${displayHeight}px`;
    }
  }

  fullScreen(on) {
    this.fullScreenOn = on;
    this.menubar.classList.toggle('hidden', on);
    this.pictureEl.classList.toggle('full', on);
    // The button that was pressed goes out of sight: the keys come here.
    this.focus({preventScroll: true});
    if (on) {
      const request = this.requestFullscreen ? this.requestFullscreen() : null;
      // Without a gesture the browser refuses; the picture still covers the page.
      if (request && request.catch) request.catch(() => {});
    } else if (document.fullscreenElement === this) {
      document.exitFullscreen().catch(() => {});
    }
  }

  // Esc leaves the browser's full screen: the player leaves its own.
  fullScreenChanged() {
    if (!document.fullscreenElement && this.fullScreenOn) this.withModule((m) => m._zt_leave_full_screen());
    this.pump();
  }

  // ---- Controls ----------------------------------------------------------

  statusText(part, text) {
    const node = this.parts[part];
    if (node && node.textContent !== text) node.textContent = text;
  }

  menuState(id, state) {
    const item = this.menuItems.get(id);
    if (!item) return;
    item.dataset.state = String(state);
    item.setAttribute('aria-disabled', state === MENU_ENABLED ? 'false' : 'true');
    item.classList.toggle('grayed', state === MENU_GRAYED);
  }

  menuCheck(id, on) {
    const item = this.menuItems.get(id);
    if (!item) return;
    item.setAttribute('aria-checked', on ? 'true' : 'false');
    item.querySelector('.mark').textContent = on ? '\u2713' : '';
  }

  buttonEnable(id, on) {
    const b = this.buttons.get(id);
    if (b) b.disabled = !on;
  }

  buttonCheck(id, on) {
    const b = this.buttons.get(id);
    if (b && b.hasAttribute('aria-pressed')) b.setAttribute('aria-pressed', on ? 'true' : 'false');
  }

  recentItems(lines) {
    for (const old of this.recentSlot.parentNode.querySelectorAll('.recent')) old.remove();
    const anchor = this.recentSlot;
    for (const line of lines.split('\n')) {
      if (!line) continue;
      const tab = line.indexOf('\t');
      const id = Number(line.slice(0, tab));
      const label = line.slice(tab + 1);
      const entry = this.menuEntry({text: label, id});
      entry.classList.add('recent');
      entry.firstChild.dataset.file = label.replace(/^&\d /, '');
      anchor.parentNode.insertBefore(entry, anchor);
    }
  }

  title(text) {
    this.titleText = text;
    this.dispatchEvent(new CustomEvent('zentrov-title', {detail: text, bubbles: true}));
  }

  closeWindow() {
    this.closeMenus();
    this.module._zt_destroy();
    this.exited = true;
    if (this.timer) clearTimeout(this.timer);
    for (const part of [this.menubar, this.toolbar, this.pictureEl, this.statusEl]) part.hidden = true;
    this.root.append(el('div', {class: 'exited'}, 'Zentrov has ended. Reload the page to start it again.'));
  }

  // ---- ToolStatusBars ----------------------------------------------------

  bar(what, on) {
    if (what === 'flat') this.toolbar.classList.toggle('flat', on);
    else if (what === 'labels') {
      this.toolbar.classList.toggle('labels', on);
      // The labels are the tooltips while they are not shown.
      for (const b of this.buttons.values()) {
        if (on) b.removeAttribute('title');
        else b.title = b.getAttribute('aria-label');
      }
    } else if (what === 'toolbar') this.toolbar.classList.toggle('hidden', !on);
    else if (what === 'status') this.statusEl.classList.toggle('hidden', !on);
  }

  measure(which) {
    const node = which === 'toolbar' ? this.toolbar : this.statusEl;
    return node.classList.contains('hidden') ? 0 : Math.round(node.getBoundingClientRect().height);
  }

  // ---- SettingsStore over localStorage -----------------------------------

  settings() {
    try {
      return JSON.parse(localStorage.getItem(SETTINGS_ITEM) || '{}') || {};
    } catch (e) {
      return {};
    }
  }

  readSetting(key, name) {
    const values = this.settings()[key];
    return values && Object.prototype.hasOwnProperty.call(values, name) ? values[name] : undefined;
  }

  writeSetting(key, name, value) {
    try {
      const all = this.settings();
      (all[key] = all[key] || {})[name] = value;
      localStorage.setItem(SETTINGS_ITEM, JSON.stringify(all));
      return true;
    } catch (e) {
      return false;
    }
  }

  // ---- Dialogs -----------------------------------------------------------

  chooseFile(note) {
    this.filePicker.value = '';
    this.filePicker.onchange = () => {
      const file = this.filePicker.files[0];
      if (file) this.openFile(file, (m, name) => this.callString(m._zt_chosen, name), note);
    };
    this.filePicker.click();
  }

  // Reads a chosen or dropped file into the movie folder and hands its name
  // to `open`; `wanted`, when given, is the recent name that was asked for.
  async openFile(file, open, wanted, handle) {
    this.gesture();
    const bytes = new Uint8Array(await file.arrayBuffer());
    if (!this.module || this.exited) return;
    const name = this.store(file.name, bytes);
    if (handle) handleStore.put(name, handle);
    if (wanted && this.fileName(wanted) === name) this.runCommand(wanted.id);
    else this.withModule((m) => open(m, name));
    this.pump();
  }

  about(version, mmx, threeDNow) {
    const box = (label, on) => {
      const input = el('input', {type: 'checkbox', onclick: (e) => e.preventDefault()});
      input.checked = on;
      return el('label', {}, input, label);
    };
    const ok = el('button', {class: 'ok'}, 'OK');
    const d = this.dialog('about', 'About Zentrov', [
      el('img', {src: ZENTROV_ICON, width: '32', height: '32', alt: ''}),
      el('div', {}, 'Zentrov'), el('div', {class: 'version'}, version || 'Version.0.00'),
      el('div', {}), el('div', {style: 'grid-column: 2 / 4'}, 'A player for Sega Saturn FILM movies'),
      el('div', {class: 'rule'}),
      el('div', {class: 'checks'}, box('MMX support', mmx), box('3DNow! support', threeDNow)), ok]);
    ok.onclick = () => d.close();
    this.showDialog(d, ok);
  }

  property(values, rows) {
    const labels = ['Frame size', 'Total frame', 'Frame rate base', 'Audio ch.', 'PCM bit',
                    'PCM frequency', 'PCM format'];
    const grid = el('div', {class: 'values'});
    labels.forEach((label, i) => grid.append(el('div', {}, label),
                                             el('div', {'data-field': label}, values[i] || '0')));
    const ok = el('button', {}, 'OK');
    const more = el('button', {class: 'more'}, 'More>>');
    const list = el('div', {class: 'list'});
    const d = this.dialog('property', 'Property', [grid, el('div', {class: 'buttons'}, ok, more), list]);
    let filled = false;
    more.onclick = () => {
      const expanded = d.classList.toggle('expanded');
      more.textContent = expanded ? '<<More' : 'More>>';
      if (expanded && !filled) {
        filled = true;
        list.append(this.virtualTable(rows));
      }
    };
    ok.onclick = () => d.close();
    d.addEventListener('close', () => this.withModule((m) => m._zt_property_closed()), {once: true});
    this.showDialog(d, ok);
  }

  // The sample table, drawing only the rows in view.
  virtualTable(count) {
    const ROW = 18;
    const table = el('div', {class: 'table', role: 'table', 'aria-rowcount': String(count + 1)});
    const head = el('div', {class: 'head', role: 'row', 'aria-rowindex': '1'});
    for (const c of ['Block', 'AbsTime', 'DspTime', 'Key']) head.append(el('div', {role: 'columnheader'}, c));
    const body = el('div', {class: 'rows', role: 'rowgroup', tabindex: '0'});
    const space = el('div', {style: `height:${count * ROW}px`});
    body.append(space);
    let selected = -1;
    const draw = () => {
      const first = Math.max(0, Math.floor(body.scrollTop / ROW) - 2);
      const last = Math.min(count, first + Math.ceil((body.clientHeight || 162) / ROW) + 4);
      for (const r of body.querySelectorAll('.row')) r.remove();
      for (let i = first; i < last; i++) {
        const cells = this.module.UTF8ToString(this.module._zt_property_row(i)).split('\t');
        const row = el('div', {class: 'row' + (i === selected ? ' selected' : ''), role: 'row',
                               'aria-rowindex': String(i + 2), style: `top:${i * ROW}px`});
        for (const t of cells) row.append(el('div', {role: 'cell'}, t));
        row.onclick = () => { selected = i; draw(); };
        body.append(row);
      }
    };
    body.addEventListener('scroll', draw);
    table.append(head, body);
    requestAnimationFrame(draw);
    draw();
    return table;
  }

  searchHeader() {
    const list = el('div', {role: 'listbox', tabindex: '0', 'aria-label': 'Headers'});
    const find = el('button', {class: 'find'}, 'Search');
    const ok = el('button', {}, 'OK');
    const cancel = el('button', {}, '\uFF77\uFF6C\uFF9D\uFF7E\uFF99');
    const d = this.dialog('search', 'Search header', [list, find, ok, cancel]);
    let answered = false;
    const answer = (chosen) => {
      if (answered) return;
      answered = true;
      const line = chosen ? [...list.children].findIndex((o) => o.getAttribute('aria-selected') === 'true') : -1;
      d.close();
      this.withModule((m) => m._zt_search_answer(chosen ? 1 : 0, line));
      this.pump();
    };
    const option = (text) => {
      const o = el('div', {role: 'option', 'aria-selected': 'false'}, text);
      o.onclick = () => select(o);
      o.ondblclick = () => { select(o); answer(true); };
      return o;
    };
    const select = (o) => {
      for (const other of list.children) other.setAttribute('aria-selected', other === o ? 'true' : 'false');
    };
    const relist = () => {
      const lines = this.module.UTF8ToString(this.module._zt_search_lines()).split('\n');
      const selected = Number(lines.shift());
      list.replaceChildren(...lines.map(option));
      const o = list.children[selected];
      if (o) { select(o); list.scrollTop = o.offsetTop - list.offsetTop; }
    };
    this.searchList = list;
    find.onclick = () => {
      list.replaceChildren(option('Search...'));
      this.searchFoundLine = (line) => list.insertBefore(option(line), list.lastChild);
      this.module._zt_search_run();
      this.searchFoundLine = null;
      relist();
    };
    list.addEventListener('keydown', (e) => {
      const items = [...list.children];
      let i = items.findIndex((o) => o.getAttribute('aria-selected') === 'true');
      if (e.key === 'ArrowDown') i = Math.min(items.length - 1, i + 1);
      else if (e.key === 'ArrowUp') i = Math.max(0, i - 1);
      else return;
      e.preventDefault();
      if (items[i]) { select(items[i]); items[i].scrollIntoView({block: 'nearest'}); }
    });
    ok.onclick = () => answer(true);
    cancel.onclick = () => answer(false);
    d.addEventListener('close', () => answer(false));
    relist();
    this.showDialog(d, ok);
  }

  searchFound(line) {
    if (this.searchFoundLine) this.searchFoundLine(line);
  }

  homePage(address) {
    window.open(address, '_blank', 'noopener');
  }

  // The frame as the clipboard's bitmap: a bottom-up 24-bit DIB in, a PNG out.
  clipboard(dib) {
    const view = new DataView(dib.buffer, dib.byteOffset, dib.byteLength);
    const width = view.getInt32(4, true);
    const height = view.getInt32(8, true);
    if (width <= 0 || height <= 0) return;
    const stride = (width * 3 + 3) & ~3;
    const image = new ImageData(width, height);
    const px = image.data;
    for (let y = 0; y < height; y++) {
      const row = 40 + (height - 1 - y) * stride;
      for (let x = 0; x < width; x++) {
        const s = row + x * 3, d = (y * width + x) * 4;
        px[d] = dib[s + 2]; px[d + 1] = dib[s + 1]; px[d + 2] = dib[s]; px[d + 3] = 255;
      }
    }
    const c = document.createElement('canvas');
    c.width = width;
    c.height = height;
    c.getContext('2d').putImageData(image, 0, 0);
    const png = new Promise((resolve) => c.toBlob(resolve, 'image/png'));
    this.lastCopy = png;
    // The copy is dropped, as when the clipboard cannot be opened, where the
    // page may not write it.
    try {
      if (navigator.clipboard && self.ClipboardItem) {
        navigator.clipboard.write([new ClipboardItem({'image/png': png})]).catch(() => {});
      }
    } catch (e) { /* no clipboard */ }
  }

  // The message box: one at a time, in order.
  message(text, caption, onOk) {
    const ok = el('button', {}, 'OK');
    const d = this.dialog('message', caption, [el('div', {class: 'text'}, text), ok]);
    ok.onclick = () => {
      d.close();
      if (onOk) onOk();
    };
    this.showDialog(d, ok);
  }

  dialog(kind, caption, children) {
    const d = el('dialog', {class: kind, 'aria-label': caption},
                 el('div', {class: 'caption', 'aria-hidden': 'true'}, caption),
                 el('div', {class: 'body'}, ...children));
    return d;
  }

  // Dialogs are modal: no ticks and no commands while one is up; they come
  // one after the other.
  showDialog(d, focus) {
    this.closeMenus();
    this.modal++;
    if (this.timer) { clearTimeout(this.timer); this.timer = 0; }
    d.addEventListener('close', () => {
      d.remove();
      this.modal--;
      const next = this.messages.shift();
      if (next) next();
      else this.focus();
      this.pump();
    }, {once: true});
    const show = () => {
      this.root.append(d);
      d.showModal();
      if (focus) focus.focus();
    };
    if (this.modal > 1) this.messages.push(show);
    else show();
  }

  // ---- The user's commands -----------------------------------------------

  // A recent item whose file the page no longer holds is fetched first: from
  // its kept handle, or by asking for it by name.
  async runCommand(id) {
    if (id >= CMD.recentFirst && id <= CMD.recentLast) {
      const item = this.menuItems.get(id);
      const name = item ? item.dataset.file : '';
      if (name && !this.hasStored(name)) {
        const file = await this.recentFile(name);
        if (file === null) {
          // Its OK is the click that lets the page show the file chooser.
          this.message(`Choose ${name} to open it again.`, 'Zentrov',
                       () => this.chooseFile(Object.assign(new String(name), {id})));
          return;
        }
        this.store(name, new Uint8Array(await file.arrayBuffer()));
      }
    }
    this.withModule((m) => m._zt_command(id));
    this.pump();
  }

  async recentFile(name) {
    const handle = await handleStore.get(this.fileName(name));
    if (!handle || !handle.getFile) return null;
    try {
      if (handle.queryPermission && (await handle.queryPermission()) !== 'granted' &&
          (await handle.requestPermission()) !== 'granted') return null;
      return await handle.getFile();
    } catch (e) {
      return null;
    }
  }

  onKey(e) {
    if (this.modal > 0 || this.exited || !this.module) return;
    this.gesture();
    for (const [test, id] of ACCELERATORS) {
      if (!test(e)) continue;
      e.preventDefault();
      if (this.fullScreenOn) {
        this.runCommand(id);
        return;
      }
      // As the window does: the menu opens (and pauses) first, and a grayed
      // or disabled item sends nothing.
      this.module._zt_init_menu();
      const item = this.menuItems.get(id);
      if (!item || item.dataset.state === String(MENU_ENABLED) || !item.dataset.state) this.runCommand(id);
      else this.pump();
      return;
    }
    if (this.fullScreenOn) {
      if (e.key === 'Escape') this.withModule((m) => m._zt_leave_full_screen());
      return;
    }
    if (this.openMenu) {
      this.menuKey(e);
      return;
    }
    // The menu bar reached by Tab: Enter, Space or Down opens the menu there.
    const top = this.topMenus.find((t) => t.node === this.root.activeElement);
    if (top && (e.key === 'Enter' || e.key === ' ' || e.key === 'ArrowDown')) {
      e.preventDefault();
      this.showMenu(top, true);
      return;
    }
    if (top && (e.key === 'ArrowLeft' || e.key === 'ArrowRight')) {
      e.preventDefault();
      const at = this.topMenus.indexOf(top) + (e.key === 'ArrowRight' ? 1 : -1);
      this.topMenus[(at + this.topMenus.length) % this.topMenus.length].node.focus();
      return;
    }
    if (e.altKey && !e.ctrlKey && e.key.length === 1) {
      const top = this.topMenus.find((t) => t.key === e.key.toLowerCase());
      if (top) {
        e.preventDefault();
        this.showMenu(top, true);
      }
    }
  }

  // ---- The menu ----------------------------------------------------------

  menuEntry(item) {
    if (item.sep) return el('div', {class: 'entry', role: 'separator'});
    const {frag, key} = mnemonicNodes(item.text);
    const keys = item.text.split('\t')[1] || '';
    const node = el('div', {role: 'menuitem', tabindex: '-1', 'aria-label': plain(item.text)},
                    el('span', {class: 'mark', 'aria-hidden': 'true'}), el('span', {class: 'text'}, frag),
                    el('span', {class: 'keys', 'aria-hidden': 'true'}, keys),
                    el('span', {class: 'arrow', 'aria-hidden': 'true'}, item.items ? '\u25B8' : ''));
    node.dataset.key = key;
    const entry = el('div', {class: 'entry'}, node);
    if (item.items) {
      node.setAttribute('aria-haspopup', 'menu');
      node.setAttribute('aria-expanded', 'false');
      const sub = this.menuList(item.items, plain(item.text));
      entry.append(sub);
      node.addEventListener('mouseenter', () => this.openSub(entry));
      node.addEventListener('click', (e) => { e.stopPropagation(); this.openSub(entry, true); });
    } else {
      this.menuItems.set(item.id, node);
      if (item.grayed) this.menuState(item.id, MENU_GRAYED);
      node.addEventListener('mouseenter', () => { this.closeSubsBeside(entry); node.focus(); });
      node.addEventListener('click', (e) => { e.stopPropagation(); this.activate(node, item.id); });
    }
    return entry;
  }

  menuList(items, label) {
    const list = el('div', {role: 'menu', 'aria-label': label});
    for (const item of items) {
      if (item.recent) {
        this.recentSlot = el('div', {class: 'entry slot', hidden: ''});
        list.append(this.recentSlot);
      } else {
        list.append(this.menuEntry(item));
      }
    }
    return list;
  }

  activate(node, id) {
    if (node.getAttribute('aria-disabled') === 'true') return;
    this.closeMenus();
    this.runCommand(id);
  }

  openSub(entry, focusFirst) {
    this.closeSubsBeside(entry);
    const sub = entry.querySelector(':scope > [role=menu]');
    sub.classList.add('open');
    entry.firstChild.setAttribute('aria-expanded', 'true');
    if (focusFirst) this.focusItem(sub, 0);
  }

  closeSubsBeside(entry) {
    for (const sibling of entry.parentNode.children) {
      if (sibling === entry) continue;
      for (const m of sibling.querySelectorAll('[role=menu].open')) m.classList.remove('open');
      for (const n of sibling.querySelectorAll('[aria-expanded=true]')) n.setAttribute('aria-expanded', 'false');
    }
  }

  // A menu opening pauses playback, as the window's menus do.
  showMenu(top, focusFirst) {
    if (this.openMenu !== top) {
      this.closeMenus();
      if (!this.openMenu) this.withModule((m) => m._zt_init_menu());
      this.openMenu = top;
      top.list.classList.add('open');
      top.node.setAttribute('aria-expanded', 'true');
    }
    if (focusFirst) this.focusItem(top.list, 0);
    else top.node.focus();
    this.pump();
  }

  closeMenus() {
    if (!this.openMenu) return;
    for (const m of this.menubar.querySelectorAll('[role=menu].open')) m.classList.remove('open');
    for (const n of this.menubar.querySelectorAll('[aria-expanded=true]')) n.setAttribute('aria-expanded', 'false');
    this.openMenu = null;
    this.focus();
  }

  itemsOf(list) {
    return [...list.children].map((e) => e.firstChild).filter((n) => n && n.getAttribute && n.getAttribute('role') === 'menuitem');
  }

  focusItem(list, index) {
    const items = this.itemsOf(list);
    if (items.length) items[(index + items.length) % items.length].focus();
  }

  menuKey(e) {
    const current = this.root.activeElement;
    const list = current && current.closest('[role=menu]');
    const topIndex = this.topMenus.indexOf(this.openMenu);
    const key = e.key;
    if (key === 'Escape') {
      e.preventDefault();
      const parentEntry = list && list.parentNode.closest('.entry');
      if (parentEntry) {
        list.classList.remove('open');
        parentEntry.firstChild.setAttribute('aria-expanded', 'false');
        parentEntry.firstChild.focus();
      } else {
        this.closeMenus();
      }
      return;
    }
    if (key === 'ArrowLeft' || key === 'ArrowRight') {
      e.preventDefault();
      if (key === 'ArrowRight' && current && current.getAttribute('aria-haspopup')) {
        this.openSub(current.parentNode, true);
        return;
      }
      const parentEntry = list && list.parentNode.closest('.entry');
      if (key === 'ArrowLeft' && parentEntry) {
        list.classList.remove('open');
        parentEntry.firstChild.focus();
        return;
      }
      const next = this.topMenus[(topIndex + (key === 'ArrowRight' ? 1 : -1) + this.topMenus.length) % this.topMenus.length];
      this.showMenu(next, true);
      return;
    }
    if (!list) {
      if (key === 'ArrowDown' || key === 'Enter') { e.preventDefault(); this.focusItem(this.openMenu.list, 0); }
      return;
    }
    const items = this.itemsOf(list);
    const at = items.indexOf(current);
    if (key === 'ArrowDown' || key === 'ArrowUp') {
      e.preventDefault();
      items[(at + (key === 'ArrowDown' ? 1 : -1) + items.length) % items.length].focus();
    } else if (key === 'Enter' || key === ' ') {
      e.preventDefault();
      if (current) current.click();
    } else if (key.length === 1 && !e.ctrlKey) {
      const hit = items.find((n) => n.dataset.key === key.toLowerCase());
      if (hit) { e.preventDefault(); hit.click(); }
    }
  }

  // ---- The window --------------------------------------------------------

  buildUi() {
    const style = el('style', {}, ZENTROV_STYLE);
    this.menubar = el('div', {role: 'menubar', 'aria-label': 'Zentrov'});
    this.topMenus = [];
    for (const menu of MENU) {
      const {frag, key} = mnemonicNodes(menu.text);
      const node = el('div', {role: 'menuitem', tabindex: this.topMenus.length ? '-1' : '0', 'aria-haspopup': 'menu',
                              'aria-expanded': 'false', 'aria-label': plain(menu.text)}, frag);
      const list = this.menuList(menu.items, plain(menu.text));
      const top = {node, list, key};
      node.addEventListener('mousedown', (e) => {
        e.preventDefault();
        e.stopPropagation();
        if (this.openMenu === top) this.closeMenus();
        else this.showMenu(top, false);
      });
      node.addEventListener('click', (e) => {
        e.stopPropagation();
        // A click with no press before it: the keyboard or a script.
        if (e.detail === 0) {
          if (this.openMenu === top) this.closeMenus();
          else this.showMenu(top, false);
        }
      });
      node.addEventListener('mouseenter', () => { if (this.openMenu && this.openMenu !== top) this.showMenu(top, false); });
      this.topMenus.push(top);
      this.menubar.append(el('div', {class: 'top'}, node, list));
    }

    this.toolbar = el('div', {role: 'toolbar', 'aria-label': 'Toolbar', class: 'hidden'});
    this.toolbar.style.setProperty('--strip', `url("${ZENTROV_TOOLBAR}")`);
    for (const b of TOOLBAR) {
      if (!b) { this.toolbar.append(el('div', {class: 'sep', 'aria-hidden': 'true'})); continue; }
      const [image, id, enabled, check, label] = b;
      const button = el('button', {type: 'button', 'aria-label': label, title: label},
                        el('span', {class: 'image', style: `background-position:${-16 * image}px 0`}),
                        el('span', {class: 'label', 'aria-hidden': 'true'}, label));
      if (check) button.setAttribute('aria-pressed', 'false');
      button.disabled = !enabled;
      button.addEventListener('click', () => { this.gesture(); this.runCommand(id); });
      this.buttons.set(id, button);
      this.toolbar.append(button);
    }

    this.canvasEl = el('canvas', {width: '320', height: '240', 'aria-label': 'Picture'});
    this.pictureEl = el('div', {class: 'picture'}, this.canvasEl);
    this.pictureEl.addEventListener('mousedown', () => {
      this.gesture();
      if (this.fullScreenOn) this.withModule((m) => m._zt_leave_full_screen());
    });
    this.prompt = el('div', {class: 'prompt', hidden: '', role: 'button'});
    this.pictureEl.append(this.prompt);

    this.statusEl = el('div', {role: 'status', class: 'status', 'aria-label': 'Status'});
    this.parts = [0, 1, 2, 3, 4].map((i) => el('div', {'data-part': String(i)}));
    this.parts[2].setAttribute('aria-live', 'off');
    this.statusEl.append(...this.parts);

    this.filePicker = el('input', {type: 'file', accept: '.cpk,.cak', hidden: ''});
    this.root.append(style, this.menubar, this.toolbar, this.pictureEl, this.statusEl, this.filePicker);

    this.addEventListener('keydown', (e) => this.onKey(e));
    // Keys that reach no element (the focus was on a control that went
    // away) belong to the page's first player.
    document.addEventListener('keydown', (e) => {
      if ((e.target === document.body || e.target === document.documentElement) &&
          document.querySelector('zentrov-player') === this) this.onKey(e);
    });
    this.addEventListener('mousedown', () => this.gesture());
    this.root.addEventListener('click', () => this.closeMenus());
    document.addEventListener('mousedown', (e) => { if (!e.composedPath().includes(this)) this.closeMenus(); });
    this.addEventListener('dragover', (e) => { e.preventDefault(); e.dataTransfer.dropEffect = 'copy'; });
    this.addEventListener('drop', (e) => this.onDrop(e));
  }

  // Only the first dropped file opens; its handle is kept for the recent items.
  onDrop(e) {
    e.preventDefault();
    if (this.modal > 0 || this.exited) return;
    const items = e.dataTransfer.items;
    const file = e.dataTransfer.files[0];
    if (!file) return;
    const handle = items && items[0] && items[0].getAsFileSystemHandle ? items[0].getAsFileSystemHandle() : null;
    Promise.resolve(handle).catch(() => null).then((h) =>
      this.openFile(file, (m, name) => this.callString(m._zt_drop, name), null, h));
  }
}

if (!customElements.get('zentrov-player')) customElements.define('zentrov-player', ZentrovPlayer);
