#!/usr/bin/env python3
"""A stand-in for the online disc database, on 127.0.0.1 only, for the exe
tests: lookup_server.py FOLDER. It binds a free port and writes it to
FOLDER/ready; the first part of each path names the answer:
  one, several: recorded answers (the disc's id echoed in its medium)
  none: 404; busy: 503; wait: 503 with Retry-After: 2; bad: an answer cut
  short; large: over 1 MB
  silent: accepts the request and never answers
It writes each request line and User-Agent to FOLDER/requests, the time
of each (in seconds) to FOLDER/times, and ends
when FOLDER/ready is deleted or after 60 s without a request."""
import http.server
import json
import os
import sys
import threading
import time

FOLDER = sys.argv[1]
READY = os.path.join(FOLDER, 'ready')
last_request = [time.time()]


def release(title, artist, medium):
    return {'title': title, 'date': '1999-05-01', 'country': 'GB',
            'artist-credit': [{'name': artist, 'joinphrase': ''}], 'media': [medium]}


def answer(kind, disc_id):
    tracks = [{'title': 'Intro'}, {'title': 'Caf\u00e9'}, {'title': '\u6771\u4eac Nights'}]
    ours = {'position': 1, 'format': 'CD', 'track-count': 3, 'discs': [{'id': disc_id}], 'tracks': tracks}
    releases = [release('Looked Up', 'Online Artist', ours)]
    if kind == 'several':
        other = {'position': 1, 'format': 'CD', 'track-count': 3, 'discs': [{'id': disc_id}],
                 'tracks': [{'title': 'Other %d' % n} for n in (1, 2, 3)]}
        releases.append(release('Other Edition', 'Other Artist', other))
    return json.dumps({'releases': releases}).encode()


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        last_request[0] = time.time()
        with open(os.path.join(FOLDER, 'requests'), 'a') as log:
            log.write('%s %s\n' % (self.path, self.headers.get('User-Agent')))
        with open(os.path.join(FOLDER, 'times'), 'a') as log:
            log.write('%.3f\n' % time.time())
        parts = self.path.split('?')[0].split('/')
        kind = parts[1] if len(parts) > 1 else ''
        if kind == 'silent':
            time.sleep(40)
            return
        status, body = 200, b''
        if kind in ('one', 'several'):
            body = answer(kind, parts[-1])
        elif kind == 'none':
            status, body = 404, b'{"error": "Not Found"}'
        elif kind in ('busy', 'wait'):
            status, body = 503, b'{"error": "busy"}'
        elif kind == 'bad':
            body = answer('one', parts[-1])[:40]
        elif kind == 'large':
            body = b'{"releases": [], "padding": "' + b'x' * (1100 * 1024) + b'"}'
        self.send_response(status)
        if kind == 'wait':
            self.send_header('Retry-After', '2')
        self.send_header('Content-Type', 'application/json')
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
server.daemon_threads = True
threading.Thread(target=server.serve_forever, daemon=True).start()
with open(READY + '.new', 'w') as ready:
    ready.write(str(server.server_address[1]))
os.replace(READY + '.new', READY)
while os.path.exists(READY) and time.time() - last_request[0] < 60:
    time.sleep(0.2)
server.shutdown()
