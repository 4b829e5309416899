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

  // -- Files: files.json lists the folder's files, their sizes and gzip copies. ---------------
  const files = {
    listed: {},
    downloads: {}, // name -> promise of a reader of the file's bytes
    opened: [],

    async list() {
      try {
        const response = await fetch('files.json', { cache: 'no-cache' });
        if (response.ok) this.listed = (await response.json()).files || {};
      } catch (e) {
        this.listed = {};
      }
    },

    // The file's bytes as a stream: the gzip copy undone by the browser where it can, else the file.
    download(name) {
      if (!this.downloads[name]) {
        const entry = this.listed[name];
        const gzip = entry.gzip && typeof DecompressionStream === 'function';
        this.downloads[name] = fetch(gzip ? entry.gzip : name).then((response) => {
          if (!response.ok || !response.body) throw new Error(response.statusText);
          // A server that labels the copy as gzip-encoded has the browser undo it already.
          const undone = /gzip/.test(response.headers.get('Content-Encoding') || '');
          const body = gzip && !undone ? response.body.pipeThrough(new DecompressionStream('gzip')) : response.body;
          return body.getReader();
        });
        this.downloads[name].catch(nothing);
      }
      return this.downloads[name];
    },

    // -- what src/platform/file_web.cpp calls --
    open(name) {
      if (!(name in this.listed)) return -1;
      this.opened.push({ name, length: this.listed[name].bytes, position: 0, pending: null, used: 0 });
      this.download(name);
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
      // A download read to its end is done with; one left halfway is cancelled.
      this.downloads[f.name].then((reader) => reader.cancel()).catch(nothing);
      delete this.downloads[f.name];
    },
    // Streams up to `size` bytes into the program's memory at `address`; the count that arrived.
    async read(fd, address, size) {
      const f = this.opened[fd];
      if (!f) return 0;
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
          progress.show(f.name, f.position, f.length);
        }
      } catch (e) {
        // A broken download ends the read short; the program says what it got.
      }
      return got;
    },
  };

  const progress = {
    show(name, done, total) {
      page.bar.style.width = total > 0 ? Math.min(100, (100 * done) / total).toFixed(1) + '%' : '0';
      page.status.textContent = `${name}: ${megabytes(done)} of ${megabytes(total)}`;
      document.body.dataset.received = String(done);
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

    // What src/platform/audio_web.cpp calls.
    start(name, from) {
      if (!(name in files.listed)) return false;
      this.position = from;
      this.playing = true;
      fetch(name)
        .then((response) => (response.ok ? response.blob() : Promise.reject(new Error(response.statusText))))
        .then((blob) => {
          const audio = new Audio();
          audio.preload = 'auto';
          audio.src = URL.createObjectURL(blob);
          audio.addEventListener('error', () => (this.audio = null));
          this.audio = audio;
          // A track that arrives after the show began joins it where the show is.
          if (show.running()) this.playFrom(this.position + show.now() / 1000);
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
    quor: { files, show, screen, music },
  };
})();
