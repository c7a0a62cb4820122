// A small MQTT 3.1.1 client over a WebSocket, for the page's broker mode: log in, subscribe,
// publish at QoS 0, receive at QoS 0 and 1 (acknowledged), keep alive, and connect again
// after any loss with growing random delays. Nothing else of MQTT is needed here.
'use strict';

const MQTT_LARGEST_PACKET = 64 * 1024;

// Cuts a stream of WebSocket frames into MQTT packets: a frame may hold part of a packet,
// or several. A packet too large or a length that does not read ends the stream (null).
class MqttReader {
  constructor() {
    this.pending = new Uint8Array(0);
  }

  // The whole packets the bytes complete, as { type, flags, body }; null when broken.
  push(bytes) {
    const joined = new Uint8Array(this.pending.length + bytes.length);
    joined.set(this.pending);
    joined.set(bytes, this.pending.length);
    const packets = [];
    let at = 0;
    for (;;) {
      if (joined.length - at < 2) break;
      let length = 0;
      let i = 1;
      for (let shift = 0; ; shift += 7, ++i) {
        if (i > 4) return null;
        if (at + i >= joined.length) {
          length = -1;
          break;
        }
        length += (joined[at + i] & 0x7f) << shift;
        if (!(joined[at + i] & 0x80)) break;
      }
      if (length > MQTT_LARGEST_PACKET) return null;
      if (length < 0 || joined.length - at - i - 1 < length) break;
      const start = at + i + 1;
      packets.push({ type: joined[at] >> 4, flags: joined[at] & 0x0f, body: joined.slice(start, start + length) });
      at = start + length;
    }
    this.pending = joined.slice(at);
    return packets;
  }
}

const mqttText = new TextEncoder();

function mqttString(text) {
  const bytes = mqttText.encode(text);
  return [bytes.length >> 8, bytes.length & 0xff, ...bytes];
}

function mqttPacket(first, body) {
  const length = [];
  let rest = body.length;
  do {
    length.push((rest & 0x7f) | (rest > 0x7f ? 0x80 : 0));
    rest >>= 7;
  } while (rest > 0);
  return Uint8Array.from([first, ...length, ...body]);
}

const Mqtt = {
  connect: (clientId, keepAlive, clean) =>
    mqttPacket(0x10, [...mqttString('MQTT'), 4, clean ? 0x02 : 0, keepAlive >> 8, keepAlive & 0xff, ...mqttString(clientId)]),
  subscribe: (id, topics) => mqttPacket(0x82, [id >> 8, id & 0xff, ...topics.flatMap(([topic, qos]) => [...mqttString(topic), qos])]),
  publish: (topic, text) => mqttPacket(0x30, [...mqttString(topic), ...mqttText.encode(text)]),
  puback: (id) => mqttPacket(0x40, [id >> 8, id & 0xff]),
  ping: () => mqttPacket(0xc0, []),
  disconnect: () => mqttPacket(0xe0, []),
  // A PUBLISH's topic, text and the packet id to acknowledge (0 at QoS 0); null when broken.
  readPublish(packet) {
    const body = packet.body;
    const qos = (packet.flags >> 1) & 3;
    if (body.length < 2 || qos > 1) return null;
    const topicEnd = 2 + ((body[0] << 8) | body[1]);
    const textStart = topicEnd + (qos ? 2 : 0);
    if (textStart > body.length) return null;
    try {
      const decoder = new TextDecoder('utf-8', { fatal: true });
      return {
        topic: decoder.decode(body.slice(2, topicEnd)),
        text: decoder.decode(body.slice(textStart)),
        id: qos ? (body[topicEnd] << 8) | body[topicEnd + 1] : 0,
        retained: (packet.flags & 1) === 1,
      };
    } catch (e) {
      return null;
    }
  },
};

// Connects to `url` and stays connected: `topics` ([topic, qos] pairs) are subscribed again on
// every connection, `onMessage(topic, text)` gets what arrives, `onLink(connected)` each change.
// A session kept by the broker (clean false) keeps what was sent at QoS 1 while the page was away.
class MqttClient {
  constructor(url, options) {
    this.url = url;
    this.options = Object.assign({ keepAlive: 30, clean: true, firstWaitMs: 1000, longestWaitMs: 30000 }, options);
    this.socket = null;
    this.connected = false;
    this.failures = 0;
    this.timers = {};
    this.WebSocket = this.options.WebSocket || WebSocket;
  }

  start() {
    this.stopped = false;
    this.open();
  }

  stop() {
    this.stopped = true;
    if (this.socket && this.connected) this.socket.send(Mqtt.disconnect());
    this.close();
  }

  // Sent at QoS 0 while connected; false when not connected, so the page can say so.
  publish(topic, text) {
    if (!this.connected) return false;
    this.socket.send(Mqtt.publish(topic, text));
    return true;
  }

  open() {
    const reader = new MqttReader();
    let socket;
    try {
      socket = new this.WebSocket(this.url, 'mqtt');
    } catch (e) {
      this.lost();
      return;
    }
    this.socket = socket;
    socket.binaryType = 'arraybuffer';
    socket.onopen = () => {
      socket.send(Mqtt.connect(this.options.clientId, this.options.keepAlive, this.options.clean));
      this.heard();
    };
    socket.onmessage = (event) => {
      if (socket !== this.socket || !(event.data instanceof ArrayBuffer)) return;
      const packets = reader.push(new Uint8Array(event.data));
      if (packets === null) this.lost();
      else for (const packet of packets) if (socket === this.socket) this.take(packet);
    };
    socket.onclose = () => {
      if (socket === this.socket) this.lost();
    };
    // A socket that never opens or a broker that never answers counts as a loss.
    this.heard();
  }

  take(packet) {
    this.heard();
    if (packet.type === 2) {
      if (packet.body.length < 2 || packet.body[1] !== 0) {
        this.lost(packet.body[1]);
        return;
      }
      this.connected = true;
      this.failures = 0;
      this.socket.send(Mqtt.subscribe(1, this.options.topics));
      this.timers.ping = setInterval(() => this.socket.send(Mqtt.ping()), this.options.keepAlive * 500);
      this.options.onLink(true);
    } else if (packet.type === 3) {
      const message = Mqtt.readPublish(packet);
      if (message === null) return;
      if (message.id) this.socket.send(Mqtt.puback(message.id));
      this.options.onMessage(message.topic, message.text, message.retained);
    }
  }

  // Silence longer than one and a half keep-alive periods: the link is gone, whatever the socket says.
  heard() {
    clearTimeout(this.timers.silence);
    this.timers.silence = setTimeout(() => this.lost(), this.options.keepAlive * 1500);
  }

  close() {
    clearInterval(this.timers.ping);
    clearTimeout(this.timers.silence);
    clearTimeout(this.timers.retry);
    const socket = this.socket;
    this.socket = null;
    if (socket) {
      socket.onclose = socket.onmessage = socket.onopen = null;
      try {
        socket.close();
      } catch (e) {
        // already closed
      }
    }
    const was = this.connected;
    this.connected = false;
    return was;
  }

  // 1, 2, 4 … 30 s, each taken at random between its half and itself, so that a broker back
  // after a fault is not met by every phone in the same second.
  lost(refusal) {
    if (this.close() || this.failures === 0 || refusal) this.options.onLink(false, refusal);
    if (this.stopped) return;
    const ceiling = Math.min(this.options.longestWaitMs, this.options.firstWaitMs * 2 ** Math.min(this.failures++, 10));
    this.timers.retry = setTimeout(() => this.open(), ceiling / 2 + Math.random() * (ceiling / 2));
  }
}

if (typeof module !== 'undefined') module.exports = { MqttReader, MqttClient, Mqtt };
