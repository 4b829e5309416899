// The page's side of the player: the command line from the URL's query, the downloads of the data
// and the music (begun at once, read by the program as they arrive), the canvas's size, the
// "click to start" cover that the browser's rule on sound asks for, and what is shown when the
// program says something or ends. The program reaches it as Module.quor (src/platform/*_web.cpp).
'use strict';

var Module = (function () {
  const page = {
    canvas: document.getElementById('canvas'),
    status: document.getElementById('status'),
    bar: document.getElementById('bar'),
    messages: document.getElementById('messages'),
    waiting: document.getElementById('waiting'),
  };
  const nothing = () => {};

  // ?start=20&loop&mute is the command line --start=20 --loop --mute.
  const query = new URLSearchParams(location.search);
  const args = [];
  for (const [key, value] of query) args.push(value === '' ? `--${key}` : `--${key}=${value}`);

  function setState(name, text) {
    document.body.dataset.state = name;
    if (text !== undefined) page.status.textContent = text;
  }
  function say(line) {
    page.messages.textContent += line + '\n';
  }
  function megabytes(bytes) {
    return (bytes / 1e6).toFixed(1) + ' MB';
  }

  // -- Transport: what travels (the data file's parts and the music), counted for the bar. ------
  const transport = {
    sent: 0,
    total: 0,
    failure: null,

    // The body of `url`, which must be `bytes` long; each piece counted as it arrives.
    async fetch(url, bytes) {
      const response = await fetch(url);
      if (!response.ok || !response.body) throw new Error(`${url}: ${response.status} ${response.statusText}`);
      const reader = response.body.getReader();
      const out = new Uint8Array(bytes);
      let got = 0;
      for (;;) {
        const { done, value } = await reader.read();
        if (done) break;
        if (got + value.length > bytes) {
          reader.cancel().catch(nothing);
          throw new Error(`${url}: longer than the ${bytes} bytes listed`);
        }
        out.set(value, got);
        got += value.length;
        this.sent += value.length;
        progress.show();
      }
      if (got < bytes) throw new Error(`${url}: ${got} of its ${bytes} bytes arrived`);
      return out;
    },
    // Said once, the first time something fails to arrive.
    fail(error) {
      if (this.failure) return;
      this.failure = error.message || String(error);
      say(`The show's data did not arrive whole: reload the page to try again.\n(${this.failure})`);
      if (!show.running() || show.starved) show.failed();
    },
  };

  // Bytes no longer than `limit` inflated from raw deflate by the browser.
  async function inflate(bytes, limit, name) {
    const reader = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate-raw')).getReader();
    const out = new Uint8Array(limit);
    let got = 0;
    try {
      for (;;) {
        const { done, value } = await reader.read();
        if (done) break;
        if (got + value.length > limit) throw new Error('too long');
        out.set(value, got);
        got += value.length;
      }
    } catch (e) {
      reader.cancel().catch(nothing);
      throw new Error(`part ${name} of the data is damaged (${e.message || e})`);
    }
    return out.subarray(0, got);
  }

  // A data file streamed in parts (web/stream.js), fetched from the page's start a few at a time
  // in the listing's order and unpacked in that order; each part goes into the program's buffer
  // once the program has given one, and the read returns when the parts it cannot start without
  // are in.
  class streamed {
    constructor(name, entry) {
      this.name = name;
      this.size = entry.bytes;
      this.folder = entry.parts.folder;
      this.parts = entry.parts.list;
      if (!/^[\w.-]+$/.test(this.folder) || this.folder.startsWith('.')) throw new Error('no folder of parts');
      QuorStream.checkParts(this.parts, this.size);
      this.unpacked = []; // part index -> bytes, until they are in the program's buffer
      this.placed = this.parts.map(() => false);
      this.target = null; // { address, size, laterAt, laterEnd, done }
      this.next = 0;
      this.fetched = this.parts.map(() => null);
      this.ended = false;
    }
    get travelling() {
      return this.parts.reduce((sum, p) => sum + p.sent, 0);
    }
    begin() {
      const ahead = 3; // fetched at once: the next parts share the link, the later ones wait
      const more = () => {
        while (this.next < this.parts.length && this.next < this.done() + ahead) {
          const i = this.next++;
          const part = this.parts[i];
          this.fetched[i] = transport.fetch(`${this.folder}/${part.name}`, part.sent);
          this.fetched[i].then(more, nothing);
        }
      };
      this.done = () => this.placed.filter(Boolean).length + this.unpacked.filter(Boolean).length;
      more();
      this.unpackAll(more).catch((e) => {
        this.ended = true;
        transport.fail(e);
        this.finish();
      });
    }
    async unpackAll(more) {
      for (let i = 0; i < this.parts.length; ++i) {
        const part = this.parts[i];
        const payload = await inflate(await this.fetched[i], part.size, part.name);
        const before = QuorStream.previousRange(part);
        this.unpacked[i] = QuorStream.decodePart(part, payload, before ? this.bytes(before.at, before.size) : null);
        this.fetched[i] = null;
        this.place();
        more();
      }
    }
    // File bytes already unpacked, from the program's buffer or from parts waiting for it.
    bytes(at, size) {
      const out = new Uint8Array(size);
      this.parts.forEach((part, i) => {
        const from = Math.max(at, part.at);
        const to = Math.min(at + size, part.at + part.size);
        if (from >= to) return;
        const source = this.placed[i]
          ? Module.HEAPU8.subarray(this.target.address + from, this.target.address + to)
          : this.unpacked[i].subarray(from - part.at, to - part.at);
        out.set(source, from - at);
      });
      return out;
    }
    // Unpacked parts into the program's buffer; the read answered once its parts are in.
    place() {
      const t = this.target;
      if (!t) return;
      this.parts.forEach((part, i) => {
        if (!this.unpacked[i]) return;
        const inside = this.unpacked[i].subarray(0, Math.max(0, Math.min(part.size, t.size - part.at)));
        // The heap may have been replaced by a larger one: looked up for every part.
        Module.HEAPU8.set(inside, t.address + part.at);
        this.unpacked[i] = null;
        this.placed[i] = true;
      });
      this.finish();
    }
    finish() {
      const t = this.target;
      if (!t || !t.done) return;
      const needed = (part) => part.at < t.size && (part.at < t.laterAt || part.at + part.size > t.laterEnd);
      if (this.parts.every((part, i) => this.placed[i] || !needed(part))) {
        t.done(t.size);
        t.done = null;
      } else if (this.ended) {
        // What arrived up to the first missing byte.
        let count = 0;
        for (const [i, part] of [...this.parts.entries()].sort((a, b) => a[1].at - b[1].at)) {
          if (!this.placed[i] || part.at !== count) break;
          count += part.size;
        }
        t.done(Math.min(count, t.size));
        t.done = null;
      }
    }
    read(address, size, laterAt, laterSize) {
      return new Promise((done) => {
        this.target = { address, size, laterAt, laterEnd: laterAt + laterSize, done };
        this.place();
      });
    }
    arrived(address, size) {
      const t = this.target;
      if (!t || address < t.address || address + size > t.address + t.size) return false;
      const at = address - t.address;
      return this.parts.every((part, i) => this.placed[i] || part.at >= at + size || part.at + part.size <= at);
    }
  }

  // -- Files: files.json lists the folder's files and their sizes, and the data file's parts. --
  const files = {
    listed: {},
    streams: {}, // name -> streamed
    downloads: {}, // name -> promise of a reader of the file's bytes
    opened: [],

    async list() {
      try {
        const response = await fetch('files.json', { cache: 'no-cache' });
        if (response.ok) this.listed = (await response.json()).files || {};
      } catch (e) {
        this.listed = {};
      }
      // Everything the show needs starts travelling now, beside the program's own download.
      for (const [name, entry] of Object.entries(this.listed)) {
        if (!entry || !entry.parts) continue;
        try {
          this.streams[name] = new streamed(name, entry);
          transport.total += this.streams[name].travelling;
        } catch (e) {
          transport.fail(new Error(`files.json: ${name}: ${e.message}`));
        }
      }
      music.fetchEarly();
      Object.values(this.streams).forEach((s) => s.begin());
      progress.show();
    },

    // The bytes of a file listed without parts, as a stream.
    download(name) {
      if (!this.downloads[name]) {
        this.downloads[name] = fetch(name).then((response) => {
          if (!response.ok || !response.body) throw new Error(response.statusText);
          return response.body.getReader();
        });
        this.downloads[name].catch(nothing);
      }
      return this.downloads[name];
    },

    // -- what src/platform/file_web.cpp and arrival_web.cpp call --
    open(name) {
      if (!(name in this.listed)) return -1;
      this.opened.push({ name, length: this.listed[name].bytes, position: 0, pending: null, used: 0 });
      if (!this.streams[name]) this.download(name);
      return this.opened.length - 1;
    },
    length(fd) {
      return this.opened[fd] ? this.opened[fd].length : -1;
    },
    position(fd) {
      return this.opened[fd] ? this.opened[fd].position : -1;
    },
    close(fd) {
      const f = this.opened[fd];
      if (!f) return;
      this.opened[fd] = null;
      // A streamed file goes on arriving into the buffer its read was given.
      if (this.streams[f.name]) return;
      // A download read to its end is done with; one left halfway is cancelled.
      this.downloads[f.name].then((reader) => reader.cancel()).catch(nothing);
      delete this.downloads[f.name];
    },
    // Up to `size` bytes into the program's memory at `address`; the count that arrived or, for a
    // streamed file, is on the way behind the range [laterAt, laterAt + laterSize).
    async readLeaving(fd, address, size, laterAt, laterSize) {
      const f = this.opened[fd];
      if (!f) return 0;
      const stream = this.streams[f.name];
      // A listing whose parts were refused has said so; the file is not fetched whole instead.
      if (!stream && this.listed[f.name].parts) return 0;
      if (!stream) return this.read(fd, address, size);
      // A stream is read once, whole, from its start.
      if (f.position !== 0) return 0;
      const got = await stream.read(address, Math.min(size, stream.size), laterAt, laterSize);
      f.position += got;
      return got;
    },
    arrived(address, size) {
      return Object.values(this.streams).some((s) => s.arrived(address, size));
    },
    // Streams up to `size` bytes into the program's memory at `address`; the count that arrived.
    async read(fd, address, size) {
      const f = this.opened[fd];
      if (!f) return 0;
      if (this.streams[f.name] || this.listed[f.name].parts) return this.readLeaving(fd, address, size, 0, 0);
      let got = 0;
      try {
        const reader = await this.download(f.name);
        while (got < size) {
          if (!f.pending || f.used === f.pending.length) {
            const { done, value } = await reader.read();
            if (done) break;
            f.pending = value;
            f.used = 0;
          }
          const n = Math.min(size - got, f.pending.length - f.used);
          // The heap may have been replaced by a larger one: look it up for every piece.
          Module.HEAPU8.set(f.pending.subarray(f.used, f.used + n), address + got);
          f.used += n;
          got += n;
          f.position += n;
        }
      } catch (e) {
        // A broken download ends the read short; the program says what it got.
      }
      return got;
    },
  };

  const progress = {
    show() {
      const { sent, total } = transport;
      page.bar.style.width = total > 0 ? Math.min(100, (100 * sent) / total).toFixed(1) + '%' : '0';
      const text = total > 0 ? `${megabytes(sent)} of ${megabytes(total)}` : megabytes(sent);
      if (document.body.dataset.state === 'loading') page.status.textContent = `Loading: ${text}`;
      if (show.starved && !transport.failure) page.waiting.textContent = `Waiting for the data: ${text}`;
      document.body.dataset.received = String(sent);
    },
  };

  // -- The show's clock: still until the click that starts the show. --------------------------
  const show = {
    origin: null,
    // Tests hold the clock at the show's start to draw one exact demo time.
    held: window.quorHoldClock === true,

    now() {
      return this.origin === null || this.held ? 0 : performance.now() - this.origin;
    },
    running() {
      return this.origin !== null;
    },
    ready() {
      setState('ready', 'Click to start');
      document.getElementById('cover').addEventListener('click', () => this.start(), { once: true });
    },
    start() {
      this.origin = performance.now();
      if (screen.filling) screen.enter();
      music.begin();
      setState('playing');
      page.canvas.focus();
    },
    ended() {
      screen.leave();
      setState('ended', 'The end. Reload the page to watch again.');
    },
    // The program stands until the frame it shows has arrived (src/platform/arrival_web.cpp).
    starved: false,
    waiting(yes) {
      this.starved = yes;
      document.body.classList.toggle('waiting', yes);
      if (yes && transport.failure) this.failed();
      else progress.show();
    },
    // What was waited for will not come.
    failed() {
      screen.leave();
      setState('failed', 'The show cannot go on.');
    },
  };

  // -- The canvas: a window of the asked size in the page, or the whole page (and the screen). --
  const screen = {
    filling: false,
    width: 640,
    height: 480,

    window(width, height) {
      this.width = width;
      this.height = height;
      this.filling = false;
      this.layout();
    },
    fill() {
      this.filling = true;
      this.layout();
    },
    enter() {
      const request = document.documentElement.requestFullscreen;
      if (request) request.call(document.documentElement).catch(nothing);
    },
    leave() {
      if (document.fullscreenElement) document.exitFullscreen().catch(nothing);
    },
    toggle() {
      if (document.fullscreenElement) this.leave();
      else this.enter();
    },
    // The drawing buffer follows the canvas's size on the screen, in device pixels.
    layout() {
      const whole = this.filling || document.fullscreenElement;
      document.body.classList.toggle('filling', this.filling);
      const cssWidth = whole ? window.innerWidth : this.width;
      const cssHeight = whole ? window.innerHeight : this.height;
      page.canvas.style.width = cssWidth + 'px';
      page.canvas.style.height = cssHeight + 'px';
      const width = Math.max(1, Math.round(cssWidth * devicePixelRatio));
      const height = Math.max(1, Math.round(cssHeight * devicePixelRatio));
      if (page.canvas.width !== width) page.canvas.width = width;
      if (page.canvas.height !== height) page.canvas.height = height;
    },
  };
  window.addEventListener('resize', () => screen.layout());
  document.addEventListener('fullscreenchange', () => screen.layout());
  // A click on the running show switches full screen, as F11 does.
  page.canvas.addEventListener('click', () => {
    if (show.running() && document.body.dataset.state === 'playing') screen.toggle();
  });

  // -- Music: the whole track as a Blob, so that the element seeks without the server. ---------
  const music = {
    audio: null,
    position: 0,
    playing: false,

    track: null, // promise of the track's Blob, fetched from the page's start

    // Unless the page is asked to stay silent, the track travels beside the data from the start.
    fetchEarly() {
      const entry = files.listed[this.name];
      if (!entry || query.has('mute')) return;
      transport.total += entry.bytes;
      this.track = transport.fetch(this.name, entry.bytes).then((bytes) => new Blob([bytes], { type: 'audio/mpeg' }));
      this.track.catch(nothing);
    },
    name: 'demo.mp3',

    // What src/platform/audio_web.cpp calls.
    start(name, from) {
      if (!(name in files.listed)) return false;
      this.position = from;
      this.playing = true;
      const track =
        name === this.name && this.track
          ? this.track
          : fetch(name).then((response) => (response.ok ? response.blob() : Promise.reject(new Error(response.statusText))));
      track
        .then((blob) => {
          const audio = new Audio();
          audio.preload = 'auto';
          audio.src = URL.createObjectURL(blob);
          audio.addEventListener('error', () => (this.audio = null));
          this.audio = audio;
          // A track that arrives after the show began joins it where the show is.
          if (show.running() && this.playing) this.playFrom(this.position + show.now() / 1000);
        })
        .catch(nothing);
      return true;
    },
    pause() {
      this.playing = false;
      if (this.audio) this.audio.pause();
    },
    playFrom(seconds) {
      this.position = seconds;
      this.playing = true;
      if (!this.audio || !show.running()) return;
      try {
        this.audio.currentTime = seconds;
      } catch (e) {
        // Not seekable yet: it starts from the beginning.
      }
      this.audio.play().catch(nothing);
    },
    // The click that starts the show is the gesture that lets sound play.
    begin() {
      if (this.playing) this.playFrom(this.position);
    },
  };

  function stopped(status) {
    if (show.running()) return;
    setState(status === 0 ? 'said' : 'failed', status === 0 ? '' : 'The show cannot start.');
  }

  return {
    noInitialRun: true,
    canvas: page.canvas,
    print(line) {
      say(line);
      console.log(line);
    },
    printErr(line) {
      say(line);
      console.warn(line);
    },
    preRun: [
      () => {
        Module.addRunDependency('files.json');
        files.list().then(() => Module.removeRunDependency('files.json'));
      },
    ],
    // main runs asynchronously (it waits for the data), so the page calls it and learns how it
    // ended: the show's loop took over, or it returned a status (after --help, or a failed start).
    onRuntimeInitialized() {
      const words = ['quor-demo', ...args];
      const argv = Module._malloc(4 * (words.length + 1));
      words.forEach((word, i) => {
        const size = Module.lengthBytesUTF8(word) + 1;
        const text = Module._malloc(size);
        Module.stringToUTF8(word, text, size);
        Module.HEAP32[(argv >> 2) + i] = text;
      });
      Module.HEAP32[(argv >> 2) + words.length] = 0;
      Promise.resolve(Module.ccall('main', 'number', ['number', 'number'], [words.length, argv], { async: true }))
        .then((status) => stopped(status))
        .catch((e) => {
          // The main loop's start unwinds the stack with 'unwind'; the end of the show exits.
          if (e === 'unwind' || (e && e.name === 'ExitStatus')) return;
          say(String(e));
          stopped(1);
        });
    },
    quor: { files, show, screen, music, transport },
  };
})();
