// SPDX-License-Identifier: GPL-3.0-or-later
'use strict';
// The Node.js side of the AMI comparison: one client of `bench_ami --serve`, in one of three
// modes, prints one JSON line with the monotonic time at which it had handled every message.
//   node peer.js MODE PORT EVENTS
//   asterisk-manager  the library parses every message into fields and emits each event;
//                     each DialBegin is judged by the same rules as ours
//   frame             raw Buffers: frame at each empty line and count, nothing decoded
//   frame-utf8        the same on UTF-8 decoded strings, as asterisk-manager reads them
const crypto = require('crypto');
const net = require('net');

const [mode, port, eventsArg] = process.argv.slice(2);
const events = Number(eventsArg);
const result = { mode, messages: 0, pops: 0, digest: '', endNs: '0', bytes: 0, minorFaults: 0 };

function finish() {
  result.endNs = process.hrtime.bigint().toString();
  // The whole process's, from its start: loading Node.js itself is a part of it.
  result.minorFaults = process.resourceUsage().minorPageFault;
  process.stdout.write(JSON.stringify(result) + '\n');
  process.exit(0);
}

function frame(decoded) {
  // The login reply and every event end with an empty line; the greeting is one line.
  const want = events + 1;
  const socket = net.createConnection(Number(port), '127.0.0.1');
  socket.setNoDelay(true);
  if (decoded) socket.setEncoding('utf-8');
  let tail = decoded ? '' : Buffer.alloc(0);
  let greeted = false;
  socket.on('data', chunk => {
    result.bytes += decoded ? Buffer.byteLength(chunk) : chunk.length;
    let data = tail.length ? (decoded ? tail + chunk : Buffer.concat([tail, chunk])) : chunk;
    let at = 0;
    if (!greeted) {
      const eol = data.indexOf('\r\n');
      if (eol < 0) { tail = data; return; }
      greeted = true;
      at = eol + 2;
      socket.write('Action: login\r\nUsername: bench\r\nSecret: bench\r\n\r\n');
    }
    for (let end; (end = data.indexOf('\r\n\r\n', at)) >= 0; at = end + 4) result.messages++;
    tail = decoded ? data.slice(at) : data.subarray(at);
    if (result.messages === want) { socket.destroy(); finish(); }
  });
  socket.on('close', () => { if (result.messages !== want) finish(); });
}

function library() {
  const Manager = require('asterisk-manager');
  const ami = new Manager(Number(port), '127.0.0.1', 'bench', 'bench', true);
  const pops = crypto.createHash('sha256');
  // The same rules as DialScan for this stream: the start of a dial, a number of six or more
  // characters that is not "<unknown>", a destination channel.
  ami.on('managerevent', event => {
    result.messages++;
    const kind = event.event.toLowerCase();
    if (kind === 'dialbegin' || (kind === 'dial' && String(event.subevent).toLowerCase() === 'begin')) {
      const number = String(event.calleridnum || '').trim();
      let name = String(event.calleridname || '').trim();
      if (name === '<unknown>') name = '';
      if (number !== '<unknown>' && number.length > 5 && event.destchannel) {
        result.pops++;
        pops.update(number + '\x1f' + name + '\x1e', 'utf8');
      }
    }
    if (result.messages === events) {
      result.digest = pops.digest('hex');
      ami.disconnect();
      finish();
    }
  });
  ami.on('close', () => { if (result.messages !== events) finish(); });
}

if (mode === 'asterisk-manager') library();
else if (mode === 'frame' || mode === 'frame-utf8') frame(mode === 'frame-utf8');
else {
  process.stderr.write('usage: node peer.js asterisk-manager|frame|frame-utf8 PORT EVENTS\n');
  process.exit(2);
}
