#!/usr/bin/env node
// SPDX-License-Identifier: GPL-3.0-or-later
'use strict';
// Deterministic generator of an AMI server->client byte stream, for client benchmarks.
//
// Layout of the stream:
//   "Asterisk Call Manager/7.0.3\r\n"                                  (greeting)
//   "Response: Success\r\nMessage: Authentication accepted\r\n\r\n"    (login reply)
//   N event messages, each "Key: Value\r\n"... "\r\n"
// Exactly one message in every block of 20 is a DialBegin (Asterisk 12+ field set);
// its position within the block is drawn from the seeded PRNG. The others are
// Newstate or VarSet events of realistic Asterisk 13 form. Values include
// UTF-8 names, empty values, and values that contain ':' and '='.
//
// A live server that echoes the client's ActionID must put "ActionID: <id>\r\n"
// after the Response line of the login reply; the events section is unaffected.
//
// CLI:  node gen-ami-stream.js OUT.bin [--n 200000] [--seed 1380535879] [--chunks OUT.txt]
//   writes the stream, prints size / offsets / sha256 / counts as JSON;
//   --chunks writes the write-size schedule (one size per line) the bench server uses.

const crypto = require('crypto');
const fs = require('fs');

const GREETING = 'Asterisk Call Manager/7.0.3\r\n';
const LOGIN_OK = 'Response: Success\r\nMessage: Authentication accepted\r\n\r\n';
const DEFAULT_N = 200000;
const DEFAULT_SEED = 0x52494e47; // "RING"
const CHUNK_MIN = 8 * 1024;
const CHUNK_MAX = 256 * 1024;

// mulberry32: small, fast, fully deterministic 32-bit PRNG.
function prng(seed) {
  let a = seed >>> 0;
  const next = () => {
    a = (a + 0x6d2b79f5) >>> 0;
    let t = a;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
  next.int = (lo, hi) => lo + Math.floor(next() * (hi - lo)); // [lo, hi)
  next.pick = arr => arr[Math.floor(next() * arr.length)];
  return next;
}

const NAMES = ['Alice Example', 'Bob Builder', 'Smith, John', "Mary O'Brien", 'Jürgen Müller',
  'Zoë Åström', 'ACME Corp Reception', 'WIRELESS CALLER', 'Dr. Émile Zola', 'Søren Kierkegård',
  'Li Wei', 'Anonymous', '<unknown>', 'José Álvarez', 'Frank & Sons Ltd'];
const TECHS = ['PJSIP', 'PJSIP', 'PJSIP', 'SIP', 'IAX2', 'DAHDI'];
const CONTEXTS = ['from-internal', 'from-trunk', 'from-pstn', 'ext-local', 'macro-dial-one', 'default'];
const LANGS = ['en', 'en', 'de', 'fr', 'en_GB'];
const STATES = [['0', 'Down'], ['2', 'OffHook'], ['3', 'Dialing'], ['4', 'Ring'], ['5', 'Ringing'],
  ['6', 'Up'], ['7', 'Busy']];
const VARS = ['DIALSTATUS', 'BRIDGEPEER', 'RTPAUDIOQOS', 'SIPCALLID', '__FROM_DID', 'MACRO_DEPTH',
  'CDR(userfield)', 'PJSIP_HEADER(read,From)', 'DIALEDPEERNUMBER', 'CHANNEL(language)'];

function makeGen(seed) {
  const r = prng(seed);
  let chanSeq = 0x1a2b;
  let uidSeq = 1;
  const epoch = 1700000000;

  const number = () => {
    const k = r();
    if (k < 0.35) return String(r.int(100, 10000));                        // extension
    if (k < 0.65) return '+49' + String(r.int(30, 99)) + String(r.int(1000000, 99999999));
    if (k < 0.9) return '0' + String(r.int(200, 999)) + String(r.int(100000, 9999999));
    return '<unknown>';
  };
  const channel = () => `${r.pick(TECHS)}/${r.int(100, 10000)}-${(chanSeq++).toString(16).padStart(8, '0')}`;
  const uid = i => `${epoch + Math.floor(i / 40)}.${uidSeq++}`;
  const party = i => {
    const [state, desc] = r.pick(STATES);
    const u = uid(i);
    return {
      Channel: channel(), ChannelState: state, ChannelStateDesc: desc,
      CallerIDNum: number(), CallerIDName: r.pick(NAMES),
      ConnectedLineNum: number(), ConnectedLineName: r.pick(NAMES),
      Language: r.pick(LANGS), AccountCode: r() < 0.8 ? '' : 'acct-' + r.int(1, 500),
      Context: r.pick(CONTEXTS), Exten: r() < 0.1 ? 's' : String(r.int(100, 100000)),
      Priority: String(r.int(1, 30)), Uniqueid: u, Linkedid: r() < 0.5 ? u : `${epoch}.${r.int(1, uidSeq)}`,
    };
  };
  const fmt = (head, fields) => {
    let s = head;
    for (const k in fields) s += `${k}: ${fields[k]}\r\n`;
    return s + '\r\n';
  };
  const varValue = v => {
    switch (v) {
      case 'DIALSTATUS': return r.pick(['ANSWER', 'BUSY', 'NOANSWER', 'CANCEL', 'CHANUNAVAIL']);
      case 'BRIDGEPEER': return channel();
      case 'RTPAUDIOQOS': return `ssrc=${r.int(1, 2 ** 31)};themssrc=${r.int(1, 2 ** 31)};lp=0;rxjitter=0.00${r.int(0, 9999)};rxcount=${r.int(0, 99999)};txjitter=0.000000;txcount=${r.int(0, 99999)};rlp=0;rtt=0.000000`;
      case 'SIPCALLID': return `${r.int(1e8, 2e9).toString(16)}@192.0.2.${r.int(1, 255)}:5060`;
      case 'PJSIP_HEADER(read,From)': return `"${r.pick(NAMES)}" <sip:${number()}@198.51.100.${r.int(1, 255)}:5060>;tag=${r.int(1e6, 9e6)}`;
      case 'MACRO_DEPTH': return String(r.int(0, 3));
      case 'CDR(userfield)': return r() < 0.5 ? '' : 'note: key=value; x';
      default: return number();
    }
  };

  return {
    r,
    dialBegin(i) {
      const a = party(i);
      const b = party(i);
      const f = { Privilege: 'call,all' };
      Object.assign(f, a);
      for (const k in b) f['Dest' + k] = b[k];
      f.DialString = r() < 0.5 ? b.Exten : `trunk/${b.CallerIDNum}`;
      return { text: fmt('Event: DialBegin\r\n', f), fields: f };
    },
    newstate(i) {
      return fmt('Event: Newstate\r\n', Object.assign({ Privilege: 'call,all' }, party(i)));
    },
    varSet(i) {
      const f = Object.assign({ Privilege: 'dialplan,all' }, party(i));
      const v = r.pick(VARS);
      f.Variable = v;
      f.Value = varValue(v);
      return fmt('Event: VarSet\r\n', f);
    },
  };
}

// FNV-1a over a string's UTF-16 code units; used to check that a client parsed
// the DialBegin fields a caller-ID tool needs without mangling them.
function fnv1a(h, s) {
  for (let i = 0; i < s.length; i++) {
    h ^= s.charCodeAt(i);
    h = Math.imul(h, 0x01000193) >>> 0;
  }
  return h;
}
const DIAL_KEYS = ['CallerIDNum', 'CallerIDName', 'DestChannel', 'DestCallerIDNum', 'DialString', 'Uniqueid'];
function dialDigest(h, get) {
  for (const k of DIAL_KEYS) h = fnv1a(fnv1a(h, get(k)), '\x00');
  return h;
}

function generate(n = DEFAULT_N, seed = DEFAULT_SEED) {
  const g = makeGen(seed);
  const parts = [];
  let dialCount = 0;
  let dialHash = 0x811c9dc5;
  let dialPos = 0;
  for (let i = 0; i < n; i++) {
    if (i % 20 === 0) dialPos = g.r.int(0, 20);
    if (i % 20 === dialPos) {
      const d = g.dialBegin(i);
      parts.push(d.text);
      dialCount++;
      dialHash = dialDigest(dialHash, k => d.fields[k]);
    } else if (g.r() < 0.5) {
      parts.push(g.newstate(i));
    } else {
      parts.push(g.varSet(i));
    }
  }
  const events = Buffer.from(parts.join(''), 'utf8');
  // Write-size schedule: separate PRNG stream, sizes ignore message boundaries.
  const cr = prng(seed ^ 0x9e3779b9);
  const chunkSizes = [];
  for (let off = 0; off < events.length;) {
    const sz = Math.min(cr.int(CHUNK_MIN, CHUNK_MAX), events.length - off);
    chunkSizes.push(sz);
    off += sz;
  }
  return { greeting: Buffer.from(GREETING), loginOk: Buffer.from(LOGIN_OK), events, chunkSizes, n, seed, dialCount, dialHash };
}

function describe(s) {
  const file = Buffer.concat([s.greeting, s.loginOk, s.events]);
  // How many write boundaries fall inside a message, and inside a CR LF pair.
  let off = 0, inCrlf = 0, inTerminator = 0, midMessage = 0;
  for (const sz of s.chunkSizes.slice(0, -1)) {
    off += sz;
    const prev = s.events[off - 1], next = s.events[off];
    if (prev === 13 && next === 10) inCrlf++;
    if (!(prev === 10 && s.events[off - 2] === 13 && s.events[off - 3] === 10 && s.events[off - 4] === 13)) midMessage++;
    if (s.events.slice(off - 3, off + 3).includes('\r\n\r\n')) inTerminator++;
  }
  // Independent check of the framing: split the events section on the blank line.
  let messages = 0, dials = 0, badStart = 0;
  for (let i = 0; i < s.events.length;) {
    const e = s.events.indexOf('\r\n\r\n', i);
    if (e < 0) { badStart++; break; }
    if (s.events.toString('latin1', i, i + 7) !== 'Event: ') badStart++;
    if (s.events.toString('latin1', i, i + 18) === 'Event: DialBegin\r\n') dials++;
    messages++;
    i = e + 4;
  }
  return {
    bytes: file.length,
    messagesFound: messages,
    dialBeginFound: dials,
    malformed: badStart,
    greetingBytes: s.greeting.length,
    loginReplyBytes: s.loginOk.length,
    eventsOffset: s.greeting.length + s.loginOk.length,
    eventsBytes: s.events.length,
    events: s.n,
    dialBegin: s.dialCount,
    seed: s.seed,
    writes: s.chunkSizes.length,
    writesSplittingAMessage: midMessage,
    writesSplittingCrLf: inCrlf,
    writesTouchingTerminator: inTerminator,
    dialDigest: s.dialHash.toString(16).padStart(8, '0'),
    sha256: crypto.createHash('sha256').update(file).digest('hex'),
    file,
  };
}

module.exports = { generate, describe, dialDigest, GREETING, LOGIN_OK, DEFAULT_N, DEFAULT_SEED };

if (require.main === module) {
  const args = process.argv.slice(2);
  const opt = (name, def) => { const i = args.indexOf(name); return i >= 0 ? args[i + 1] : def; };
  const out = args[0];
  if (!out || out.startsWith('--')) {
    console.error('usage: node gen-ami-stream.js OUT.bin [--n 200000] [--seed 1380535879] [--chunks OUT.txt]');
    process.exit(2);
  }
  const s = generate(Number(opt('--n', DEFAULT_N)), Number(opt('--seed', DEFAULT_SEED)));
  const d = describe(s);
  fs.writeFileSync(out, d.file);
  const chunks = opt('--chunks');
  if (chunks) fs.writeFileSync(chunks, s.chunkSizes.join('\n') + '\n');
  delete d.file;
  console.log(JSON.stringify(d, null, 2));
}
