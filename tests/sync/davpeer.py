#!/usr/bin/env python3
"""A second CardDAV client for the sync tests, as a phone would be.

davpeer.py URL USER PASSWORD [CAFILE] COMMAND [PATH]
  mkcol PATH     make the address book PATH
  put PATH       store the card read from standard input at PATH
  putmany PATH   store each card read from standard input in the address book
                 PATH, one request each, at UID.vcf
  delete PATH    delete the card at PATH
  etags PATH     ask for every card's ETag (the server reads what it was given)
  list PATH      print "href<TAB>FN" of every card of the address book PATH
  synccards PATH list every card of the address book PATH with its data in
                 one sync-collection report (a first sync's one request)
  resync PATH N  take the sync token, change N cards one PUT each and list
                 what changed since the token; print the seconds the PUTs
                 and the listing took (a sync's requests after N changes)
"""
import base64
import http.client
import re
import ssl
import sys
import time
import urllib.parse
import xml.etree.ElementTree as ET


def main():
    url, user, password = sys.argv[1:4]
    rest = sys.argv[4:]
    cafile = None
    if rest and rest[0].endswith(".pem"):
        cafile = rest.pop(0)
    command, path = rest[0], rest[1]
    u = urllib.parse.urlsplit(url)
    if u.scheme == "https":
        conn = http.client.HTTPSConnection(
            u.hostname, u.port, context=ssl.create_default_context(cafile=cafile))
    else:
        conn = http.client.HTTPConnection(u.hostname, u.port)
    auth = {"Authorization": "Basic " + base64.b64encode(
        f"{user}:{password}".encode()).decode()}

    def request(verb, target, body=None, headers=None):
        conn.request(verb, target, body, dict(auth, **(headers or {})))
        r = conn.getresponse()
        return r.status, r.read()

    if command == "mkcol":
        body = ('<?xml version="1.0"?><mkcol xmlns="DAV:" '
                'xmlns:C="urn:ietf:params:xml:ns:carddav"><set><prop><resourcetype>'
                '<collection/><C:addressbook/></resourcetype></prop></set></mkcol>')
        status, _ = request("MKCOL", path, body)
    elif command == "put":
        status, _ = request("PUT", path, sys.stdin.buffer.read(),
                            {"Content-Type": "text/vcard"})
    elif command == "putmany":
        status = 201
        for one in re.findall(rb"BEGIN:VCARD.*?END:VCARD\r?\n", sys.stdin.buffer.read(), re.S):
            uid = re.search(rb"^UID:(.*?)\r?$", one, re.M).group(1).decode()
            code, _ = request("PUT", path + uid + ".vcf", one,
                              {"Content-Type": "text/vcard", "If-None-Match": "*"})
            status = max(status, code)
    elif command == "delete":
        status, _ = request("DELETE", path)
    elif command in ("list", "etags"):
        status, body = request(
            "PROPFIND", path,
            '<?xml version="1.0"?><propfind xmlns="DAV:"><prop><getetag/></prop></propfind>',
            {"Depth": "1"})
        if command == "etags":
            hrefs = []
        else:
            hrefs = sorted(e.text for e in ET.fromstring(body).iter("{DAV:}href")
                           if not e.text.endswith("/"))
        for href in hrefs:
            _, card = request("GET", href)
            fn = re.search(rb"^FN:(.*?)\r?$", card, re.M)
            print(href + "\t" + (fn.group(1).decode() if fn else ""))
    elif command in ("synccards", "resync"):
        def sync_report(token, data):
            return request("REPORT", path, (
                '<?xml version="1.0"?><d:sync-collection xmlns:d="DAV:" '
                'xmlns:c="urn:ietf:params:xml:ns:carddav"><d:sync-token>%s</d:sync-token>'
                '<d:sync-level>1</d:sync-level><d:prop><d:getetag/>%s</d:prop>'
                '</d:sync-collection>' % (token, "<c:address-data/>" if data else "")),
                {"Content-Type": "application/xml", "Depth": "0"})
        status, body = sync_report("", command == "synccards")
        if command == "resync" and status < 300:
            root = ET.fromstring(body)
            token = root.find("{DAV:}sync-token").text
            cards = sorted((r.find("{DAV:}href").text, r.find(".//{DAV:}getetag").text)
                           for r in root.iter("{DAV:}response"))[:int(rest[2])]
            bodies = [request("GET", href)[1] for href, _ in cards]
            start = time.perf_counter()
            for (href, etag), card in zip(cards, bodies):
                status = max(status, request(
                    "PUT", href, card.replace(b"END:VCARD", b"NOTE:changed\r\nEND:VCARD"),
                    {"Content-Type": "text/vcard", "If-Match": etag})[0])
            puts = time.perf_counter() - start
            status = max(status, sync_report(token, True)[0])
            print("%.3f %.3f" % (puts, time.perf_counter() - start - puts))
    else:
        sys.exit("unknown command " + command)
    if status >= 300:
        sys.exit(f"{command} {path}: {status}")


main()
