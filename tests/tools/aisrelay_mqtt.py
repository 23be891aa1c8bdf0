#!/usr/bin/env python3
"""aisrelay and aisdump with a real mosquitto broker on a free loopback port: MQTT in
(plain and JSON payloads, one sub-source per topic level), MQTT out read back with
mosquitto_sub, the broker stopped and started again mid-stream, a refused password, TLS
with a certificate made here with openssl, and brokers by host name (localhost, and one
that cannot resolve). Skipped (77) without mosquitto.

usage: aisrelay_mqtt.py AISRELAY AISDUMP"""
import json
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import relay_support as rs  # noqa: E402

# Real sentences (gpsd's captures): a message 1, a message 5 in two fragments, a message 18.
POS = "!AIVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D"
STATIC1 = "!AIVDM,2,1,1,A,55?MbV02;H;s<HtKR20EHE:0@T4@Dn2222222216L961O5Gf0NSQEp6ClRp8,0*1C"
STATIC2 = "!AIVDM,2,2,1,A,88888888880,2*25"
CLASS_B = "!AIVDM,1,1,,A,B52K>;h00Fc>jpUlNV@ikwpUoP06,0*4C"
PASSWORD = "wrong-secret-26"


def gpsdecode_mmsi(lines):
    """MMSI and message number of each message, as the independent decoder reads them."""
    out = subprocess.run(["gpsdecode", "-j"], input="\n".join(lines) + "\n", capture_output=True, text=True,
                         timeout=rs.LIMIT_S)
    return [(m["type"], m["mmsi"]) for m in (json.loads(l) for l in out.stdout.splitlines() if l.startswith("{"))]


def publish(broker, topic, payload, *extra):
    subprocess.run(["mosquitto_pub", "-h", "127.0.0.1", "-p", str(broker.port), "-t", topic, "-m", payload]
                   + list(extra), check=True, timeout=rs.LIMIT_S)


def subscriptions(broker):
    return broker.log_text().count("Received SUBSCRIBE")


def subscriber(broker, topics, count):
    args = ["mosquitto_sub", "-h", "127.0.0.1", "-p", str(broker.port), "-C", str(count), "-F", "%t %x"]
    for t in topics:
        args += ["-t", t]
    before = subscriptions(broker)
    proc = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    rs.wait_for(lambda: subscriptions(broker) > before, "mosquitto_sub subscribed")
    return proc


def received(proc):
    try:
        out, _ = proc.communicate(timeout=rs.LIMIT_S)
    except subprocess.TimeoutExpired:
        proc.kill()
        out, _ = proc.communicate()
        rs.check(False, "mosquitto_sub got its messages")
    got = []
    for line in out.splitlines():
        topic, _, payload = line.partition(" ")
        got.append((topic, bytes.fromhex(payload).decode("latin-1")))
    return got


def in_and_out(aisrelay, folder):
    """Two receivers behind the broker, one plain and one JSON; the outputs read back."""
    broker = rs.Broker(folder)
    tcp_port = rs.free_tcp_port()
    source = "mqtt://127.0.0.1:%d/ais/+/nmea" % broker.port
    relay = rs.Relay(aisrelay, ["--source", source, "--output", "tcp-server:127.0.0.1:%d" % tcp_port,
                                "--output", "mqtt://127.0.0.1:%d/out/%%station%%/%%type%%?format=json" % broker.port,
                                "--output", "mqtt://127.0.0.1:%d/plain/%%mmsi%%?types=5" % broker.port])
    client = None
    try:
        client = rs.connect_when_listening("127.0.0.1", tcp_port)
        rs.wait_for(lambda: relay.source(source).get("state") == "open", "the MQTT source connected")
        rs.wait_for(lambda: all(relay.output(i).get("state") == "open" for i in (1, 2)), "MQTT outputs connected")
        rs.wait_for(lambda: subscriptions(broker) >= 1, "the relay subscribed")
        sub = subscriber(broker, ["out/#", "plain/#"], 4)
        publish(broker, "ais/north/nmea", POS + "\r\n" + STATIC1 + "\r\n" + STATIC2)
        publish(broker, "ais/south/nmea", json.dumps({"class": "AIS", "nmea": [CLASS_B]}))
        publish(broker, "ais/south/nmea", json.dumps({"nmea": [POS]}))  # heard by both: once out
        rs.wait_for(lambda: len(client.lines()) >= 4, "four lines on the TCP client")
        rs.equal(client.lines(), [POS, STATIC1, STATIC2, CLASS_B], "MQTT in: each message once, fragments together")
        got = received(sub)
        rs.wait_for(lambda: relay.source(source + "/south").get("messages") == 2, "figures of the south receiver")
        north, south = relay.source(source + "/north"), relay.source(source + "/south")
        rs.equal((north.get("parent"), north.get("messages"), north.get("duplicates")), (source, 2, 0),
                 "the north receiver is a sub-source")
        rs.equal((south.get("messages"), south.get("duplicates")), (2, 1), "the south receiver: one duplicate")
        decoded = gpsdecode_mmsi([POS, STATIC1, STATIC2, CLASS_B])
        rs.equal([t for t, _ in decoded], [1, 5, 18], "gpsdecode reads the sample")
        want = [("out/north/1", json.dumps({"nmea": [POS]}, separators=(",", ":"))),
                ("out/north/5", json.dumps({"nmea": [STATIC1, STATIC2]}, separators=(",", ":"))),
                ("plain/%d" % decoded[1][1], STATIC1 + "\r\n" + STATIC2 + "\r\n"),
                ("out/south/18", json.dumps({"nmea": [CLASS_B]}, separators=(",", ":")))]
        rs.equal(sorted(got), sorted(want), "MQTT out read back by mosquitto_sub")
    finally:
        relay.stop()
        if client:
            client.close()
        broker.stop()


def restart(aisrelay, folder):
    """The broker goes away mid-stream and comes back on its port: source and output
    reconnect, and nothing comes twice."""
    broker = rs.Broker(folder)
    tcp_port = rs.free_tcp_port()
    source = "mqtt://127.0.0.1:%d/in/+" % broker.port
    relay = rs.Relay(aisrelay, ["--source", source, "--output", "tcp-server:127.0.0.1:%d" % tcp_port,
                                "--output", "mqtt://127.0.0.1:%d/out/%%type%%" % broker.port])
    client = None
    try:
        client = rs.connect_when_listening("127.0.0.1", tcp_port)
        rs.wait_for(lambda: relay.source(source).get("state") == "open" and relay.output(1).get("state") == "open",
                    "connected")
        rs.wait_for(lambda: subscriptions(broker) >= 1, "the relay subscribed")
        publish(broker, "in/a", POS)
        rs.wait_for(lambda: len(client.lines()) >= 1, "the first line")
        before = subscriptions(broker)
        broker.stop()
        rs.wait_for(lambda: relay.source(source).get("state") != "open" and relay.output(1).get("state") != "open",
                    "the relay notices the broker is gone")
        rs.check(relay.source(source).get("error", "") != "", "the source gives a reason: %r" % relay.source(source))
        broker.start()
        rs.wait_for(lambda: relay.source(source).get("state") == "open" and relay.output(1).get("state") == "open",
                    "reconnected")
        rs.wait_for(lambda: subscriptions(broker) > before, "the relay subscribed again")
        sub = subscriber(broker, ["out/#"], 2)
        publish(broker, "in/a", STATIC1 + "\r\n" + STATIC2)
        publish(broker, "in/b", CLASS_B)
        rs.wait_for(lambda: len(client.lines()) >= 4, "the lines after the restart")
        rs.equal(client.lines(), [POS, STATIC1, STATIC2, CLASS_B], "each line once across the restart")
        rs.equal(received(sub), [("out/5", STATIC1 + "\r\n" + STATIC2 + "\r\n"), ("out/18", CLASS_B + "\r\n")],
                 "published after the restart, nothing again")
    finally:
        relay.stop()
        if client:
            client.close()
        broker.stop()


def refused(aisrelay, folder):
    """A broker that refuses the password: a reason in the figures, the password nowhere."""
    passwords = os.path.join(folder, "passwords")
    subprocess.run(["mosquitto_passwd", "-c", "-b", passwords, "relay", "right-one"], check=True, timeout=rs.LIMIT_S)
    broker = rs.Broker(folder, ["allow_anonymous false", "password_file " + passwords])
    source = "mqtt://relay:%s@127.0.0.1:%d/in/+" % (PASSWORD, broker.port)
    shown = "mqtt://relay@127.0.0.1:%d/in/+" % broker.port
    relay = rs.Relay(aisrelay, ["--source", source, "--output", "mqtt://relay:%s@127.0.0.1:%d/out" % (PASSWORD, broker.port)])
    try:
        rs.wait_for(lambda: relay.source(shown).get("error") and relay.output(0).get("error"), "the refusals")
        reason = relay.source(shown).get("error", "")
        rs.check("パスワード" in reason or "許可" in reason, "the source's reason names the login: %r" % reason)
        rs.equal(relay.output(0).get("name"), "mqtt://relay@127.0.0.1:%d/out" % broker.port, "output shown without password")
    finally:
        relay.stop()
        broker.stop()
    printed = "".join(relay.stdout + relay.stderr)
    rs.check(PASSWORD not in printed, "the password is in no output of the relay")


def tls_broker(folder, name, alt_name):
    """A broker on TLS with a self-signed certificate made here for name; the certificate's
    path and the broker."""
    cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj", "/CN=" + name,
                    "-addext", "subjectAltName=" + alt_name, "-keyout", key, "-out", cert],
                   check=True, capture_output=True, timeout=rs.LIMIT_S)
    return cert, rs.Broker(folder, ["certfile " + cert, "keyfile " + key])


def tls(aisrelay, aisdump, folder):
    """mqtts:// with a certificate made here, for the relay and for aisdump."""
    cert, broker = tls_broker(folder, "127.0.0.1", "IP:127.0.0.1")
    tcp_port = rs.free_tcp_port()
    source = "mqtts://127.0.0.1:%d/ais/+" % broker.port
    relay = rs.Relay(aisrelay, ["--source", source, "--ca-file", cert, "--output", "tcp-server:127.0.0.1:%d" % tcp_port])
    client = None
    tls_args = ["--cafile", cert]
    try:
        client = rs.connect_when_listening("127.0.0.1", tcp_port)
        rs.wait_for(lambda: relay.source(source).get("state") == "open", "connected over TLS")
        rs.wait_for(lambda: subscriptions(broker) >= 1, "the relay subscribed")
        publish(broker, "ais/rx", POS, *tls_args)
        rs.wait_for(lambda: len(client.lines()) >= 1, "the line over TLS")
        rs.equal(client.lines(), [POS], "mqtts:// source")
        # aisdump reads the same: a retained message arrives when it subscribes. Its run is
        # made longer until the message is in, so a slow machine takes longer, not fails.
        publish(broker, "ais/rx", CLASS_B, "-r", *tls_args)
        mmsi = gpsdecode_mmsi([CLASS_B])[0][1]
        ms, found = 2000, False
        while not found and ms <= 64000:
            out = subprocess.run([aisdump, "--source", source, "--ca-file", cert, "--exit-after-ms", str(ms)],
                                 capture_output=True, text=True, timeout=rs.LIMIT_S + ms / 1000)
            found = ('"MMSI": %d' % mmsi) in out.stdout
            ms *= 2
        rs.check(found, "aisdump --source mqtts:// decodes the retained message of %d" % mmsi)
        # Without the certificate the connection is refused with a reason.
        bad = subprocess.run([aisdump, "--source", source, "--exit-after-ms", "3000"], capture_output=True, text=True,
                             timeout=rs.LIMIT_S)
        rs.check("TLS" in bad.stderr or "証明書" in bad.stderr, "untrusted certificate: a reason on stderr: %r" % bad.stderr)
    finally:
        relay.stop()
        if client:
            client.close()
        broker.stop()


def names(aisrelay, folder):
    """Brokers by host name: "localhost" over TLS with a certificate that names only
    localhost, so the name given (not an address) is what the certificate is checked
    against; the same broker as 127.0.0.1 is refused for it; a name in the reserved
    .invalid domain gives a reason that names it, and the rest of the relay goes on."""
    cert, broker = tls_broker(folder, "localhost", "DNS:localhost")
    tcp_port = rs.free_tcp_port()
    by_name = "mqtts://localhost:%d/ais/+" % broker.port
    by_address = "mqtts://127.0.0.1:%d/ais/+" % broker.port
    relay = rs.Relay(aisrelay, ["--source", by_name, "--source", by_address, "--ca-file", cert,
                                "--output", "tcp-server:127.0.0.1:%d" % tcp_port, "--output", "mqtt://broker.invalid/out"])
    client = None
    try:
        client = rs.connect_when_listening("127.0.0.1", tcp_port)
        rs.wait_for(lambda: relay.source(by_name).get("state") == "open", "connected to localhost over TLS")
        rs.wait_for(lambda: subscriptions(broker) >= 1, "the relay subscribed")
        subprocess.run(["mosquitto_pub", "-h", "localhost", "-p", str(broker.port), "--cafile", cert, "-t", "ais/rx",
                        "-m", POS], check=True, timeout=rs.LIMIT_S)
        rs.wait_for(lambda: len(client.lines()) >= 1, "the line through localhost")
        rs.equal(client.lines(), [POS], "mqtts://localhost source")
        rs.wait_for(lambda: relay.source(by_address).get("error"), "a reason for the address")
        rs.check(relay.source(by_address).get("state") != "open" and "TLS" in relay.source(by_address)["error"],
                 "the certificate does not name 127.0.0.1: %r" % relay.source(by_address))
        rs.wait_for(lambda: relay.output(1).get("error"), "a reason for the unknown name")
        reason = relay.output(1)["error"]
        rs.check("解決" in reason and "broker.invalid" in reason, "the reason names the lookup and the host: %r" % reason)
        rs.check(relay.output(1).get("state") != "open", "the unknown name is not open")
    finally:
        relay.stop()
        if client:
            client.close()
        broker.stop()


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    if not rs.have_mosquitto() or not shutil.which("gpsdecode") or not shutil.which("openssl"):
        print("skipped: mosquitto, mosquitto-clients, gpsdecode or openssl missing")
        return 77
    aisrelay, aisdump = (os.path.abspath(a) for a in sys.argv[1:3])
    for name, case in (("in-and-out", lambda f: in_and_out(aisrelay, f)), ("restart", lambda f: restart(aisrelay, f)),
                       ("refused", lambda f: refused(aisrelay, f)), ("tls", lambda f: tls(aisrelay, aisdump, f)),
                       ("names", lambda f: names(aisrelay, f))):
        folder = rs.temp_folder("aisrelay-mqtt-")
        try:
            before = len(rs.FAILURES)
            case(folder)
            print("%s: %s" % (name, "ok" if len(rs.FAILURES) == before else "FAILED"))
        finally:
            shutil.rmtree(folder, ignore_errors=True)
    if rs.FAILURES:
        print("%d failure(s)" % len(rs.FAILURES))
        return 1
    print("MQTT end to end: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
