// SPDX-License-Identifier: GPL-3.0-or-later
// The page's MQTT client (src/network/page/mqtt.js) under node: packets cut and joined any way
// between WebSocket frames, broken lengths refused, QoS 1 acknowledged, refusals and losses
// retried after growing delays.
'use strict';
const assert = require('assert');
const { MqttReader, MqttClient, Mqtt } = require(`${__dirname}/../../src/network/page/mqtt.js`);

const long = 'x'.repeat(300); // a length of two bytes
const stream = Uint8Array.from([
  ...[0x20, 2, 0, 0], // CONNACK
  ...[0x90, 3, 0, 1, 0], // SUBACK
  ...Mqtt.publish('sorteggina/r/stato', long),
  ...[0x32, 8, 0, 3, 'a'.charCodeAt(0), 'b'.charCodeAt(0), 'c'.charCodeAt(0), 0x12, 0x34, 'k'.charCodeAt(0)],
  ...[0xd0, 0], // PINGRESP
]);
const expected = [
  [2, 2],
  [9, 3],
  [3, 20 + long.length],
  [3, 8],
  [13, 0],
];
const cuts = {
  joined: [stream.length],
  'byte by byte': Array.from(stream, () => 1),
  'inside the length': [5, 1, 1, 500],
  uneven: [3, 7, 2, 290, 11, 500],
};
for (const [name, sizes] of Object.entries(cuts)) {
  const reader = new MqttReader();
  const got = [];
  for (let at = 0, i = 0; at < stream.length; at += sizes[i++]) got.push(...reader.push(stream.slice(at, at + sizes[i])));
  assert.deepStrictEqual(got.map((p) => [p.type, p.body.length]), expected, name);
  const message = Mqtt.readPublish(got[3]);
  assert.deepStrictEqual(message, { topic: 'abc', text: 'k', id: 0x1234, retained: false }, name);
  assert.strictEqual(Mqtt.readPublish(got[2]).text, long, name);
}
for (const [name, bytes] of Object.entries({
  'a length of five bytes': [0x30, 0xff, 0xff, 0xff, 0xff, 0x01],
  'a packet too large': [0x30, 0x81, 0x80, 0x04],
}))
  assert.strictEqual(new MqttReader().push(Uint8Array.from(bytes)), null, name);
assert.strictEqual(Mqtt.readPublish({ type: 3, flags: 2, body: Uint8Array.from([0, 9, 0x61]) }), null, 'a topic past the end');

// The client against fake sockets and timers: QoS 1 acknowledged, a refusal said, growing waits.
const retries = [];
global.setTimeout = (f, ms) => f.toString().includes('open') && retries.push({ f, ms });
global.clearTimeout = global.setInterval = global.clearInterval = () => {};
const sockets = [];
function FakeSocket(url, protocol) {
  Object.assign(this, { protocol, sent: [], send: (b) => this.sent.push(Array.from(b)), close() {} });
  this.arrive = (bytes) => this.onmessage({ data: Uint8Array.from(bytes).buffer });
  sockets.push(this);
}
const links = [];
const messages = [];
const client = new MqttClient('ws://b:1/', { WebSocket: FakeSocket, clientId: 'p-1', clean: false, topics: [['t', 1]],
  onLink: (up, refusal) => links.push([up, refusal]), onMessage: (topic, text) => messages.push([topic, text]) });
client.start();
sockets[0].onopen();
assert.deepStrictEqual([sockets[0].protocol, ...sockets[0].sent[0].slice(0, 10)], ['mqtt', 0x10, 15, 0, 4, 77, 81, 84, 84, 4, 0]);
sockets[0].arrive([0x20, 2, 0, 0, 0x32, 6, 0, 1, 0x74, 0, 7, 0x68]);
assert.deepStrictEqual(sockets[0].sent.slice(1), [Array.from(Mqtt.subscribe(1, [['t', 1]])), [0x40, 2, 0, 7]]);
assert.deepStrictEqual([messages, client.publish('c', '{}')], [[['t', 'h']], true]);
sockets[0].onclose();
assert.strictEqual(client.publish('c', '{}'), false);
for (let i = 1; i <= 6; ++i) {
  retries[i - 1].f();
  sockets[i].onopen();
  sockets[i].arrive([0x20, 2, 0, 5]); // not authorised
}
assert.deepStrictEqual(links, [[true, undefined], [false, undefined], ...Array(6).fill([false, 5])]);
retries.map(({ ms }, i) => [ms, Math.min(30000, 1000 * 2 ** i)]).forEach(([ms, top], i) => assert.ok(ms >= top / 2 && ms <= top, `wait ${i}`));
console.log('mqtt_check: ok');
