#!/usr/bin/env python3
"""A small update service for the tests, on 127.0.0.1.

Every request is logged as one JSON line (request line, raw header lines, body bytes in hex).
Answers come from a JSON file: {"by_key": {"<app_key>": answer}, "default": answer}, where an
answer is {"status": 200, "body": "<text>"} or {"status": 200, "repeat": "<text>", "times": n}.
--silent accepts and reads requests but never answers; --tls serves HTTPS with the given
certificate; --proxy forwards requests given with an absolute URL (a tiny http_proxy).
The listening port is written to --port-file once the server accepts connections.
"""
import argparse
import json
import socket
import socketserver
import ssl
import threading
import time
import urllib.parse

args = None
log_lock = threading.Lock()


def read_request(stream):
    request_line = stream.readline(65536).decode('latin-1').rstrip('\r\n')
    if not request_line:
        return None
    headers = []
    while True:
        line = stream.readline(65536).decode('latin-1')
        if line in ('\r\n', '\n', ''):
            break
        headers.append(line.rstrip('\r\n'))
    length = 0
    for h in headers:
        name, _, value = h.partition(':')
        if name.strip().lower() == 'content-length':
            try:
                length = int(value.strip())
            except ValueError:
                length = 0
    body = stream.read(length) if length > 0 else b''
    return request_line, headers, body


def log(entry):
    if not args.log:
        return
    with log_lock, open(args.log, 'a', encoding='utf-8') as f:
        f.write(json.dumps(entry) + '\n')


def answer_for(body):
    answers = {}
    if args.answers:
        with open(args.answers, encoding='utf-8') as f:
            answers = json.load(f)
    fields = urllib.parse.parse_qs(body.rstrip(b'\0').decode('utf-8', 'replace'))
    key = fields.get('app_key', [''])[0]
    chosen = answers.get('by_key', {}).get(key, answers.get('default', {'status': 404, 'body': ''}))
    text = chosen.get('body', '')
    if 'repeat' in chosen:
        text = chosen['repeat'] * int(chosen.get('times', 1))
    return int(chosen.get('status', 200)), text.encode('utf-8')


class Handler(socketserver.StreamRequestHandler):
    def handle(self):
        request = read_request(self.rfile)
        if request is None:
            return
        request_line, headers, body = request
        log({'request_line': request_line, 'headers': headers, 'body_hex': body.hex()})
        if args.silent:
            time.sleep(3600)
            return
        if args.proxy:
            return self.forward(request_line, headers, body)
        status, payload = answer_for(body)
        head = f'HTTP/1.1 {status} X\r\nContent-Type: application/json\r\nContent-Length: {len(payload)}\r\nConnection: close\r\n\r\n'
        self.wfile.write(head.encode('latin-1') + payload)

    def forward(self, request_line, headers, body):
        method, target, version = request_line.split(' ', 2)
        url = urllib.parse.urlsplit(target)
        upstream = socket.create_connection((url.hostname, url.port or 80), timeout=10)
        kept = [h for h in headers if not h.lower().startswith('proxy-')]
        path = url.path + ('?' + url.query if url.query else '')
        upstream.sendall((f'{method} {path} {version}\r\n' + ''.join(h + '\r\n' for h in kept) + '\r\n').encode('latin-1') + body)
        while True:
            chunk = upstream.recv(65536)
            if not chunk:
                break
            self.wfile.write(chunk)
        upstream.close()


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    global args
    parser = argparse.ArgumentParser()
    parser.add_argument('--port-file', required=True)
    parser.add_argument('--log')
    parser.add_argument('--answers')
    parser.add_argument('--silent', action='store_true')
    parser.add_argument('--proxy', action='store_true')
    parser.add_argument('--tls', nargs=2, metavar=('CERT', 'KEY'))
    args = parser.parse_args()
    server = Server(('127.0.0.1', 0), Handler)
    if args.tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.tls[0], args.tls[1])
        server.socket = context.wrap_socket(server.socket, server_side=True)
    with open(args.port_file + '.tmp', 'w') as f:
        f.write(str(server.server_address[1]))
    import os
    os.replace(args.port_file + '.tmp', args.port_file)
    server.serve_forever()


if __name__ == '__main__':
    main()
