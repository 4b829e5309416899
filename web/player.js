// The page's side of the player: the command line from the URL's query, the downloads of the data
// and the music (begun at once, read by the program as they arrive), the canvas's size, the
// "click to start" cover that the browser's rule on sound asks for, and what is shown when the
// program says something or ends, in a viewer's words with the technical line below. The program
// reaches it as Module.quor (src/platform/*_web.cpp).
'use strict';

var Module = (function () {
  const page = {
    canvas: document.getElementById('canvas'),
    status: document.getElementById('status'),
    bar: document.getElementById('bar'),
    messages: document.getElementById('messages'),
    waiting: document.getElementById('waiting'),
    what: document.getElementById('what'),
    todo: document.getElementById('todo'),
    retry: document.getElementById('retry'),
    notice: document.getElementById('notice'),
  };
  const nothing = () => {};

  // ?start=20&loop&mute is the command line --start=20 --loop --mute. The page keeps its own
  // options (?quality, ?help) and refuses the program's that mean nothing in a page.
  const query = new URLSearchParams(location.search);
  const args = [];
  const refused = [];
  const pageOnly = ['quality', 'help'];
  const notInPage = ['data', 'version', 'edit'];
  for (const [key, value] of query) {
    if (notInPage.includes(key)) refused.push(`?${key}: not an option of the page`);
    else if (!pageOnly.includes(key)) args.push(value === '' ? `--${key}` : `--${key}=${value}`);
  }

  function setState(name, text) {
    document.body.dataset.state = name;
    if (text !== undefined) page.status.textContent = text;
  }
  function say(line) {
    page.messages.textContent += line + '\n';
  }
  // A notice over the running show, each said once, fading after a few seconds.
  const noticed = new Set();
  function notice(text) {
    if (noticed.has(text)) return;
    noticed.add(text);
    page.notice.textContent = text;
    page.notice.classList.add('shown');
    clearTimeout(notice.timer);
    notice.timer = setTimeout(() => page.notice.classList.remove('shown'), 6000);
  }
  function megabytes(bytes) {
    return (bytes / 1e6).toFixed(1) + ' MB';
  }

  // -- The page's words: what failed in a viewer's terms, what to do, and the technical lines. --
  const words = {
    // Failures the page saw itself (a download's HTTP status, a damaged listing): name -> line.
    failures: {},
    failed: false,

    // A program's line as the page shows it: options as the address writes them, and none of the
    // command line's advice, which a page cannot follow.
    technical(line) {
      return line
        .replace(/ \(see quor-demo --help\)$/, ' (see ?help)')
        .replace(/; give its folder with --data DIR.*$/, '; the site does not list it in files.json')
        .replace(/(^|[\s'"(])--([a-z][a-z-]*)/g, (all, head, name) => `${head}?${name}`)
        .replace(/^quor-demo: (\S+): read (\d+) of its \d+ bytes.*$/, (all, name, got) =>
          this.failures[name] ? `quor-demo: ${name}: ${this.failures[name]}` : all);
    },
    // The viewer's headline and advice for what went wrong, from what the page and program said.
    explain(lines) {
      const text = lines.join('\n');
      const download = Object.keys(this.failures).find((name) => text.includes(name) || name === 'files.json');
      if (/OpenGL 1\.3 entry points|no WebGL/.test(text))
        return ['This browser cannot draw the show: 3D graphics in web pages (WebGL) are missing or turned off.',
          'Try another browser, or turn on hardware (graphics) acceleration in this browser\'s settings, then reload the page.'];
      if (download && / 404/.test(this.failures[download]))
        return [`A file the show needs is missing from the site: ${download}.`,
          'Whoever runs the site: copy the whole player folder to the server. Reloading will not help until then.'];
      if (download)
        return [`A file the show needs could not be downloaded: ${download}.`,
          'Check the connection and reload the page; if it happens again, tell whoever runs the site.'];
      if (/^\?[a-z]+:/m.test(text) || /^quor-demo: \?/m.test(text))
        return ['The address asks for something the player cannot do.',
          'Check the part of the address after the "?", or open the page with ?help to see what it takes.'];
      if (/file not found|does not list it/.test(text))
        return ['The show\'s data is not on this site.',
          'Whoever runs the site: put tesk.mem beside the page and list it with pack.js.'];
      if (/tesk\.mem/.test(text))
        return ['The show\'s data is damaged, so the show cannot start.',
          'Reload the page; if this stays, tell whoever runs the site (the line below says what is wrong).'];
      return ['The show cannot start.', 'Reload the page; if it happens again, tell whoever runs the site.'];
    },
    // Ends the page with the explanation of `lines` (defaulting to what was said so far).
    fail(lines) {
      if (this.failed) return;
      this.failed = true;
      const said = lines || page.messages.textContent.trim().split('\n').filter(Boolean);
      const [what, todo] = this.explain(said);
      page.what.textContent = what;
      page.todo.textContent = todo;
      screen.leave();
      setState('failed', 'The show cannot start.');
    },
    // A fault of the page's own code: said on the page, never a page that waits forever.
    fault(error) {
      // The program's own ends (its loop taking over, its exit) are not faults.
      if (error === 'unwind' || (error && error.name === 'ExitStatus')) return;
      const line = `player.js: ${(error && (error.stack || error.message)) || error}`.split('\n').slice(0, 3).join('\n');
      say(line);
      console.error(line);
      if (this.failed) return;
      this.failed = true;
      page.what.textContent = 'The page ran into a fault of its own and stopped.';
      page.todo.textContent = 'Reload the page; if it happens again, tell whoever runs the site (the line below says where).';
      screen.leave();
      setState('failed', 'The show cannot go on.');
    },
  };
  window.addEventListener('error', (event) => words.fault(event.error || event.message));
  window.addEventListener('unhandledrejection', (event) => words.fault(event.reason));

  // -- Downloads that stop: after `stallSeconds` without a byte the page says so and offers to
  // try again (a reload, which starts every download afresh). --------------------------------
  const stall = {
    seconds: Number(window.quorStallSeconds) || 20,
    // reader.read() of a download, or a rejection once nothing arrived for the stated time.
    read(reader, name) {
      let timer;
      const waited = new Promise((resolve, reject) => {
        timer = setTimeout(() => {
          this.show(name);
          reject(new Error(`nothing arrived for ${this.seconds} s`));
        }, this.seconds * 1000);
      });
      return Promise.race([reader.read(), waited]).finally(() => clearTimeout(timer));
    },
    show(name) {
      page.what.textContent = `The download of ${name} stopped: nothing arrived for ${this.seconds} seconds.`;
      page.todo.textContent = 'The connection or the server may be busy. Try again, or come back later.';
      page.retry.hidden = false;
      say(`${name}: no byte for ${this.seconds} s`);
      setState('failed', 'The download stopped.');
      words.failed = true;
    },
  };
  page.retry.addEventListener('click', () => location.reload());

  // -- The site's list of files: each entry an object with a size in bytes. ------------------
  // What is wrong with `listing` (parsed files.json), or null.
  function listingFault(listing) {
    const files = listing && listing.files;
    if (!files || typeof files !== 'object' || Array.isArray(files))
      return '"files" is not a list of names and their sizes';
    for (const [name, entry] of Object.entries(files)) {
      if (!entry || typeof entry !== 'object') return `${name}: no size given`;
      const bytes = entry.bytes;
      if (bytes === undefined || bytes === null) return `${name}: no size given`;
      if (typeof bytes !== 'number' || !Number.isFinite(bytes)) return `${name}: the size ${JSON.stringify(bytes)} is not a number`;
      if (bytes < 0 || !Number.isInteger(bytes)) return `${name}: the size ${bytes} is not a whole number of bytes, 0 or more`;
      if (entry.gzip !== undefined && typeof entry.gzip !== 'string') return `${name}: its gzip copy is not a file name`;
    }
    return null;
  }

  // -- Transport: what travels (the data file's parts and the music), counted for the bar. ------
  const transport = {
    sent: 0,
    total: 0,
    failure: null,

    // The body of `url`, which must be `bytes` long; each piece counted as it arrives. What goes
    // wrong on the way is a download's failure (error.download).
    async fetch(url, bytes, name) {
      const broken = (text) => Object.assign(new Error(text), { download: true });
      const response = await fetch(url).catch((e) => Promise.reject(broken(`${url}: ${e.message}`)));
      if (!response.ok || !response.body)
        throw broken(`the server answered ${response.status} ${response.statusText} for ${url}`.replace('  ', ' '));
      const reader = response.body.getReader();
      const out = new Uint8Array(bytes);
      let got = 0;
      for (;;) {
        const { done, value } = await stall.read(reader, name).catch((e) => Promise.reject(broken(`${url}: ${e.message}`)));
        if (done) break;
        if (got + value.length > bytes) {
          reader.cancel().catch(nothing);
          throw broken(`${url}: longer than the ${bytes} bytes listed`);
        }
        out.set(value, got);
        got += value.length;
        this.sent += value.length;
        progress.show();
      }
      if (got < bytes) throw broken(`${url}: ${got} of its ${bytes} bytes arrived`);
      return out;
    },
    // Said once, the first time something of file `name` fails to arrive; the show stops there
    // at once unless it is playing on what did arrive (then when it waits for what did not).
    // While the program's read is still to be answered, the program's own failure tells it (its
    // line with the download's failure in place of its count) and ends the page.
    fail(name, error, programSays = false) {
      if (this.failure) return;
      this.failure = error.message || String(error);
      if (error.download) words.failures[name] = this.failure;
      if (error.download && programSays) return;
      say(`${name}: ${this.failure}`);
      if (!programSays && (!show.running() || show.starved)) show.failed();
    },
  };

  // Data that arrived but is not what the listing says (error.damaged).
  const damage = (text) => Object.assign(new Error(text), { damaged: true });

  // A gzip copy's bytes, unpacked as they are read and no faster. The browser unpacks each piece
  // it is given whole, and all-zero deflate grows a thousandfold: a piece as it comes off the
  // network (64 kB and more) would be 64 MB and more at once. Pieces of 8 kB grow to 8 MB at most.
  function gunzip(body) {
    const slice = 8192;
    const sliced = new TransformStream({
      transform(chunk, out) {
        for (let at = 0; at < chunk.length; at += slice) out.enqueue(chunk.subarray(at, at + slice));
      },
    });
    return body.pipeThrough(sliced).pipeThrough(new DecompressionStream('gzip'));
  }

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
      throw damage(`part ${name} of the data is damaged (${e.message || e})`);
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
          this.fetched[i] = transport.fetch(`${this.folder}/${part.name}`, part.sent, this.name);
          this.fetched[i].then(more, nothing);
        }
      };
      this.done = () => this.placed.filter(Boolean).length + this.unpacked.filter(Boolean).length;
      more();
      this.unpackAll(more).catch((e) => {
        this.ended = true;
        // Anything but a download's or the data's failure is the page's own fault.
        if (!e.download && !e.damaged) words.fault(e);
        else transport.fail(this.name, e, !this.target || this.target.done !== null);
        this.finish();
      });
    }
    async unpackAll(more) {
      for (let i = 0; i < this.parts.length; ++i) {
        const part = this.parts[i];
        const payload = await inflate(await this.fetched[i], part.size, part.name);
        const before = QuorStream.previousRange(part);
        try {
          this.unpacked[i] = QuorStream.decodePart(part, payload, before ? this.bytes(before.at, before.size) : null);
        } catch (e) {
          throw damage(e.message);
        }
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

  // -- Files: files.json lists the folder's files, their sizes, gzip copies and the data file's
  // parts. -------------------------------------------------------------------------------------
  const files = {
    listed: {},
    streams: {}, // name -> streamed
    downloads: {}, // name -> promise of a reader of the file's bytes
    sources: {}, // name -> the address its bytes come from
    // Bytes taken from the downloads of files without parts (unpacked, for a gzip copy).
    unpacked: 0,
    opened: [],

    // The listing, or false after saying what is wrong with it.
    async list() {
      let listing;
      try {
        const response = await fetch('files.json', { cache: 'no-cache' });
        if (!response.ok) {
          words.failures['files.json'] = `the server answered ${response.status} ${response.statusText}`.trim();
          return true;
        }
        listing = await response.json();
      } catch (e) {
        words.failures['files.json'] = e.message;
        return true;
      }
      const fault = listingFault(listing);
      if (fault) {
        say(`files.json: ${fault}`);
        page.what.textContent = 'The site\'s list of files (files.json) is damaged, so the show cannot start.';
        page.todo.textContent = 'Whoever runs the site: make the list again with pack.js.';
        words.failed = true;
        setState('failed', 'The show cannot start.');
        return false;
      }
      this.listed = listing.files;
      // Everything the show needs starts travelling now, beside the program's own download.
      for (const [name, entry] of Object.entries(this.listed)) {
        if (!entry || !entry.parts) continue;
        try {
          this.streams[name] = new streamed(name, entry);
          transport.total += this.streams[name].travelling;
        } catch (e) {
          transport.fail(name, damage(`its parts in files.json: ${e.message}`));
        }
      }
      music.fetchEarly();
      Object.values(this.streams).forEach((s) => s.begin());
      progress.show();
      return true;
    },

    // The bytes of a file listed without parts, as a stream.
    download(name) {
      if (!this.downloads[name]) {
        const entry = this.listed[name];
        const gzip = entry.gzip && typeof DecompressionStream === 'function';
        const url = gzip ? entry.gzip : name;
        this.sources[name] = url;
        this.downloads[name] = fetch(url).then((response) => {
          if (!response.ok || !response.body) {
            words.failures[name] = `the server answered ${response.status} ${response.statusText} for ${url}`.replace('  ', ' ');
            throw new Error(response.statusText);
          }
          // A server that labels the copy as gzip-encoded has the browser undo it already.
          const undone = /gzip/.test(response.headers.get('Content-Encoding') || '');
          const body = gzip && !undone ? gunzip(response.body) : response.body;
          return body.getReader();
        });
        this.downloads[name].catch(nothing);
      }
      return this.downloads[name];
    },

    // -- what src/platform/file_web.cpp and arrival_web.cpp call --
    open(name) {
      if (!(name in this.listed)) return -1;
      this.opened.push({ name, length: this.listed[name].bytes, position: 0, pending: null, used: 0 });
      // A file without parts travels whole; the bar counts its bytes as they are read.
      if (!this.streams[name]) {
        transport.total += this.listed[name].bytes;
        this.download(name);
      }
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
            const { done, value } = await stall.read(reader, f.name);
            if (done) break;
            f.pending = value;
            f.used = 0;
            this.taken(value.length);
          }
          const n = Math.min(size - got, f.pending.length - f.used);
          // The heap may have been replaced by a larger one: look it up for every piece.
          Module.HEAPU8.set(f.pending.subarray(f.used, f.used + n), address + got);
          f.used += n;
          got += n;
          f.position += n;
          transport.sent += n;
          progress.show();
        }
      } catch (e) {
        // A broken download ends the read short; the program says what it got.
        if (!words.failures[f.name]) words.failures[f.name] = `the download broke: ${e.message}`;
      }
      if (f.position < f.length) return got;
      // Never past the listed size, whatever the stream would still give (a gzip bomb): one more
      // piece says whether there is more, and the download ends there. A file longer than listed
      // is not the file listed: none of the read counts, and the program says so.
      const longer = await this.beyond(f).catch(() => false);
      this.downloads[f.name].then((reader) => reader.cancel()).catch(nothing);
      if (!longer) return got;
      words.failures[f.name] = `${this.sources[f.name]}: longer than the ${f.length} bytes listed`;
      return 0;
    },
    // Whether the download of open file f gives anything past its listed size.
    async beyond(f) {
      if (f.pending && f.used < f.pending.length) return true;
      const { done, value } = await stall.read(await this.downloads[f.name], f.name);
      if (!done) this.taken(value.length);
      return !done && value.length > 0;
    },
    taken(bytes) {
      this.unpacked += bytes;
      document.body.dataset.unpacked = String(this.unpacked);
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
      const touch = window.matchMedia && window.matchMedia('(pointer: coarse)').matches;
      setState('ready', touch ? 'Tap to start' : 'Click to start');
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
      words.fail();
      if (this.running()) setState('failed', 'The show cannot go on.');
    },
  };

  // -- The canvas: a window of the asked size in the page, or the whole page (and the screen). --
  // The whole picture is shown at the show's aspect, letterboxed, never cut, in any orientation;
  // the drawing buffer holds no more pixels than ?quality allows (1280x720 unless asked).
  const qualities = { 720: 1280 * 720, 1080: 1920 * 1080, 1440: 2560 * 1440, full: Infinity };
  const quality = query.has('quality') ? qualities[query.get('quality')] : qualities[720];
  if (quality === undefined)
    refused.push(`?quality: '${query.get('quality')}' is not 720, 1080, 1440 or full (see ?help)`);
  const screen = {
    filling: false,
    width: 640,
    height: 480,
    aspect: 16 / 9, // the show's default picture, 1280x720
    pixels: quality || qualities[720],

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
    // The drawing buffer follows the canvas's size on the screen, in device pixels, up to the cap.
    layout() {
      const whole = this.filling || document.fullscreenElement;
      document.body.classList.toggle('filling', this.filling);
      const viewWidth = window.innerWidth, viewHeight = window.innerHeight;
      const aspect = whole ? this.aspect : this.width / this.height;
      let cssWidth = whole ? viewWidth : this.width;
      let cssHeight = whole ? viewHeight : this.height;
      if (cssWidth / cssHeight > aspect) cssWidth = cssHeight * aspect;
      else cssHeight = cssWidth / aspect;
      const fit = Math.min(1, viewWidth / cssWidth, viewHeight / cssHeight);
      cssWidth *= fit;
      cssHeight *= fit;
      page.canvas.style.width = cssWidth + 'px';
      page.canvas.style.height = cssHeight + 'px';
      const ratio = devicePixelRatio * Math.min(1, Math.sqrt(this.pixels / (cssWidth * cssHeight * devicePixelRatio ** 2)));
      const width = Math.max(1, Math.round(cssWidth * ratio));
      const height = Math.max(1, Math.round(cssHeight * ratio));
      if (page.canvas.width !== width) page.canvas.width = width;
      if (page.canvas.height !== height) page.canvas.height = height;
    },
  };
  // Rotation and the phone's bars coming and going resize the view.
  window.addEventListener('resize', () => screen.layout());
  window.addEventListener('orientationchange', () => screen.layout());
  if (window.visualViewport) window.visualViewport.addEventListener('resize', () => screen.layout());
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
      this.track = transport.fetch(this.name, entry.bytes, this.name).then((bytes) => new Blob([bytes], { type: 'audio/mpeg' }));
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
          audio.addEventListener('error', () => {
            this.audio = null;
            this.silent('the track cannot be played here');
          });
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
      this.audio.play().catch((e) => {
        if (e && e.name !== 'AbortError') this.silent(e.message || e.name);
      });
    },
    // Said once: the show goes on without its music.
    silent(why) {
      notice('No sound here: playing without music.');
      console.warn(`demo.mp3: ${why}`);
    },
    // The click that starts the show is the gesture that lets sound play.
    begin() {
      if (this.playing) this.playFrom(this.position);
    },
  };

  function stopped(status) {
    if (show.running()) return;
    if (status === 0) setState('said', '');
    else words.fail();
  }

  // What the page takes after the "?" of its address (the page's own ?help).
  const help = [
    'Plays the demo: a 31-second real-time scene with music, over the whole page.',
    'Options go after a "?" at the end of the address, joined by "&", as in index.html?start=12&loop',
    '  start=SECONDS  begin at this time of the show (0 to 31), music included',
    '  loop           start again at the end instead of ending',
    '  mute           no music',
    '  window=WxH     a picture of W by H pixels in the page instead of the whole page',
    '  msaa=N         smoother edges with N samples a pixel (2, 4 or 8) where the browser offers it',
    '  quality=Q      picture detail: 720 (the default), 1080, 1440 or full (the screen\'s own pixels); more is slower',
    '  help           this text',
    'Keys: Escape ends, Space pauses and resumes, F11 or a click on the picture switches full screen.',
  ];

  // A browser without WebGL is told so before anything is downloaded.
  function webgl() {
    try {
      const canvas = document.createElement('canvas');
      return !!(canvas.getContext('webgl') || canvas.getContext('experimental-webgl'));
    } catch (e) {
      return false;
    }
  }
  // Why the page does not run the program, said on the page; null when it does.
  function before() {
    if (query.has('help')) {
      help.forEach(say);
      setState('said', '');
      return 'said';
    }
    if (refused.length) {
      refused.forEach(say);
      words.fail();
      return 'refused';
    }
    if (!webgl()) {
      say('no WebGL context');
      words.fail();
      return 'no WebGL';
    }
    return null;
  }
  const stop = before();

  return {
    noInitialRun: true,
    canvas: page.canvas,
    print(line) {
      say(words.technical(line));
      console.log(line);
    },
    printErr(line) {
      say(words.technical(line));
      console.warn(line);
    },
    preRun: [
      () => {
        if (stop) return;
        Module.addRunDependency('files.json');
        files
          .list()
          .then((listed) => {
            if (listed) Module.removeRunDependency('files.json');
          })
          .catch((e) => words.fault(e));
      },
    ],
    // main runs asynchronously (it waits for the data), so the page calls it and learns how it
    // ended: the show's loop took over, or it returned a status (after --help, or a failed start).
    onRuntimeInitialized() {
      if (stop || words.failed) return;
      const line = ['quor-demo', ...args];
      const argv = Module._malloc(4 * (line.length + 1));
      line.forEach((word, i) => {
        const size = Module.lengthBytesUTF8(word) + 1;
        const text = Module._malloc(size);
        Module.stringToUTF8(word, text, size);
        Module.HEAP32[(argv >> 2) + i] = text;
      });
      Module.HEAP32[(argv >> 2) + line.length] = 0;
      Promise.resolve(Module.ccall('main', 'number', ['number', 'number'], [line.length, argv], { async: true }))
        .then((status) => stopped(status))
        .catch((e) => {
          // The main loop's start unwinds the stack with 'unwind'; the end of the show exits.
          if (e === 'unwind' || (e && e.name === 'ExitStatus')) return;
          words.fault(e);
        });
    },
    quor: { files, show, screen, music, transport },
  };
})();
