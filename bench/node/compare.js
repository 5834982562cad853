// SPDX-License-Identifier: GPL-3.0-or-later
'use strict';
// Runs both sides of the AMI comparison in one session, alternating them, and prints the
// median of each case: our loopback readers (bench_ami) and the Node.js clients (peer.js),
// each against the same replaying server, stream and write sizes.
//   node compare.js BENCH_AMI [ROUNDS] [STREAM.bin CHUNKS.txt]
const { spawn, execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const readline = require('readline');

const [benchAmi, roundsArg, ...streamArgs] = process.argv.slice(2);
if (!benchAmi) {
  process.stderr.write('usage: node compare.js BENCH_AMI [ROUNDS] [STREAM.bin CHUNKS.txt]\n');
  process.exit(2);
}
const rounds = Number(roundsArg || 5);

// Pairs that do the same work: [ours, theirs].
// Our in-memory cases (no socket) run once a round beside them.
const inMemory = ['EveryMessage', 'FrameCount'];
const pairs = [
  ['EveryMessageLoopback', 'asterisk-manager'],
  ['FrameCountLoopback', 'frame'],
  ['FrameCountLoopback', 'frame-utf8'],
];

function ours(name) {
  const out = path.join(os.tmpdir(), `bench_ami.${process.pid}.json`);
  execFileSync(benchAmi, [...streamArgs, `--benchmark_filter=^${name}/`,
    '--benchmark_repetitions=1', `--benchmark_out=${out}`, '--benchmark_out_format=json'],
  { stdio: ['ignore', 'ignore', 'inherit'] });
  const run = JSON.parse(fs.readFileSync(out, 'utf8')).benchmarks[0];
  fs.unlinkSync(out);
  if (run.error_occurred) throw new Error(`${name}: ${run.error_message}`);
  return { eventsPerS: run['events/s'], mbPerS: run['MB/s'], minorFaults: run['minflt/run'] };
}

async function theirs(mode) {
  const server = spawn(benchAmi, ['--serve', '1', ...streamArgs], { stdio: ['ignore', 'pipe', 'inherit'] });
  const lines = readline.createInterface({ input: server.stdout })[Symbol.asyncIterator]();
  const ref = JSON.parse((await lines.next()).value);
  const peer = execFileSync(process.execPath, [path.join(__dirname, 'peer.js'), mode,
    String(ref.port), String(ref.events)], { encoding: 'utf8' });
  const got = JSON.parse(peer);
  const first = JSON.parse((await lines.next()).value);
  const seconds = Number(BigInt(got.endNs) - BigInt(first.firstEventNs)) / 1e9;
  const expected = mode === 'asterisk-manager' ? ref.events : ref.events + 1;
  if (got.messages !== expected) throw new Error(`${mode}: ${got.messages} messages, not ${expected}`);
  if (mode === 'asterisk-manager' && (got.pops !== ref.pops || got.digest !== ref.digest))
    throw new Error(`${mode}: ${got.pops} pops differ from the reference ${ref.pops}`);
  return { eventsPerS: ref.events / seconds, mbPerS: ref.bytes / 1e6 / seconds,
    minorFaults: got.minorFaults };
}

const median = xs => {
  const s = [...xs].sort((a, b) => a - b);
  return s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2;
};

(async () => {
  const results = {};
  const add = (key, r) => (results[key] = results[key] || []).push(r);
  for (let round = 0; round < rounds; round++) {
    for (const name of inMemory) add(`ours ${name} (in memory)`, ours(name));
    for (const [mine, peer] of pairs) {
      // Alternate which side goes first.
      const order = round % 2 ? [peer, mine] : [mine, peer];
      for (const side of order) {
        const r = side === mine ? ours(mine) : await theirs(peer);
        add(side === mine ? `ours ${mine}` : `node ${peer}`, r);
        process.stderr.write(`round ${round + 1} ${side}: ${Math.round(r.eventsPerS)} events/s, ` +
          `${r.minorFaults} minor faults, load ${os.loadavg()[0].toFixed(1)}\n`);
      }
    }
  }
  console.log('| case | runs | events/s (median) | MB/s (median) | events/s range | minor faults a run (median) |');
  console.log('|---|---|---|---|---|---|');
  for (const [key, rs] of Object.entries(results)) {
    const ev = rs.map(r => r.eventsPerS);
    console.log(`| ${key} | ${rs.length} | ${Math.round(median(ev)).toLocaleString('en')} | ` +
      `${median(rs.map(r => r.mbPerS)).toFixed(1)} | ` +
      `${Math.round(Math.min(...ev)).toLocaleString('en')}–${Math.round(Math.max(...ev)).toLocaleString('en')} | ` +
      `${Math.round(median(rs.map(r => r.minorFaults))).toLocaleString('en')} |`);
  }
})().catch(e => { console.error(e.message); process.exit(1); });
