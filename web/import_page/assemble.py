#!/usr/bin/env python3
"""Assembles the importer's page as one self-contained file, importer.html.

    assemble.py --importer DIR --run-import FILE --runtime DIR --out FILE

index.html of this folder with its style sheets (the walk-through's
page.css, then import_page.css) and its scripts (zip.js, import_page.js)
put inline, and its #importer-files element filled with the JSON object
of name -> base64 of a gzip stream (mtime 0, no file name, level 9) of:
mirtal-import.js and mirtal-import.wasm (from --importer), run_import.js
(--run-import), import_worker.js (this folder), and the web runtime's
index.html, mirtal.js and mirtal.wasm (--runtime). The same files give the
same bytes.
"""
import argparse
import base64
import gzip
import json
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
WALK_THROUGH_STYLE = os.path.join(HERE, '..', 'page', 'page.css')
FILES_ELEMENT = '<script id="importer-files" type="application/json">{}</script>'


def read(path):
    with open(path, 'rb') as f:
        return f.read()


def inline(page, tag, opening, closing, path):
    text = read(path).decode('utf-8')
    if closing.lower().rstrip('>') in text.lower():
        sys.exit(f'assemble.py: {path} holds "{closing}", which would end its element early')
    if page.count(tag) != 1:
        sys.exit(f'assemble.py: index.html does not have {tag} once')
    return page.replace(tag, f'{opening}\n{text}{closing}')


def packed(data):
    return base64.b64encode(gzip.compress(data, compresslevel=9, mtime=0)).decode('ascii')


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--importer', required=True)
    parser.add_argument('--run-import', required=True)
    parser.add_argument('--runtime', required=True)
    parser.add_argument('--out', required=True)
    args = parser.parse_args()

    sources = {
        'mirtal-import.js': os.path.join(args.importer, 'mirtal-import.js'),
        'mirtal-import.wasm': os.path.join(args.importer, 'mirtal-import.wasm'),
        'run_import.js': args.run_import,
        'import_worker.js': os.path.join(HERE, 'import_worker.js'),
        'index.html': os.path.join(args.runtime, 'index.html'),
        'mirtal.js': os.path.join(args.runtime, 'mirtal.js'),
        'mirtal.wasm': os.path.join(args.runtime, 'mirtal.wasm'),
    }
    for path in sources.values():
        if not os.path.isfile(path):
            sys.exit(f'assemble.py: {path} is missing')

    page = read(os.path.join(HERE, 'index.html')).decode('utf-8')
    page = inline(page, '<link rel="stylesheet" href="page.css">', '<style>', '</style>',
                  WALK_THROUGH_STYLE)
    page = inline(page, '<link rel="stylesheet" href="import_page.css">', '<style>', '</style>',
                  os.path.join(HERE, 'import_page.css'))
    for script in ('zip.js', 'import_page.js'):
        page = inline(page, f'<script src="{script}"></script>', '<script>', '</script>',
                      os.path.join(HERE, script))
    files = json.dumps({name: packed(read(path)) for name, path in sorted(sources.items())},
                       separators=(',', ':'))
    if page.count(FILES_ELEMENT) != 1:
        sys.exit('assemble.py: index.html does not have the #importer-files element once')
    page = page.replace(FILES_ELEMENT, FILES_ELEMENT.replace('{}', files))

    temporary = args.out + '.part'
    with open(temporary, 'wb') as f:
        f.write(page.encode('utf-8'))
    os.replace(temporary, args.out)


if __name__ == '__main__':
    main()
