#!/usr/bin/env python3
"""Builds the web player's two outputs from the compiled module and the page
sources: zentrov-player.js (the module, the audio worklet, the style, the
toolbar strip and the element, in one script) and zentrov.html (that script
inlined into the page).

  bundle.py MODULE_JS SOURCE_DIR RESOURCE_DIR OUT_DIR"""

import base64
import json
import os
import struct
import sys
import zlib

FACE_INDEX = 7  # the strip's light grey: the button face, drawn transparent


def bmp_to_png(data):
    """A 4-bit bottom-up Windows bitmap as an RGBA PNG, its face colour clear."""
    if data[:2] != b'BM':
        raise ValueError('not a bitmap')
    offset = struct.unpack_from('<I', data, 10)[0]
    header = struct.unpack_from('<IiiHHI', data, 14)
    size, width, height, _planes, bits, compression = header
    if bits != 4 or compression != 0:
        raise ValueError('expected an uncompressed 4-bit bitmap')
    colours = struct.unpack_from('<I', data, 14 + 32)[0] or 16
    palette = []
    for i in range(colours):
        b, g, r, _ = data[14 + size + 4 * i:14 + size + 4 * i + 4]
        palette.append((r, g, b, 0 if i == FACE_INDEX else 255))
    stride = ((width * 4 + 31) // 32) * 4
    rows = []
    for y in range(abs(height)):
        src = height - 1 - y if height > 0 else y
        line = data[offset + src * stride:offset + (src + 1) * stride]
        out = bytearray([0])
        for x in range(width):
            byte = line[x // 2]
            index = (byte >> 4) if x % 2 == 0 else (byte & 15)
            out += bytes(palette[index])
        rows.append(bytes(out))

    def chunk(kind, body):
        return (struct.pack('>I', len(body)) + kind + body +
                struct.pack('>I', zlib.crc32(kind + body) & 0xFFFFFFFF))

    ihdr = struct.pack('>IIBBBBB', width, abs(height), 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) +
            chunk(b'IDAT', zlib.compress(b''.join(rows), 9)) + chunk(b'IEND', b''))


def read(path):
    with open(path, encoding='utf-8') as f:
        return f.read()


def data_url(kind, data):
    return 'data:%s;base64,%s' % (kind, base64.b64encode(data).decode('ascii'))


def main():
    module_js, source, resources, out = sys.argv[1:5]
    with open(os.path.join(resources, 'toolbar.bmp'), 'rb') as f:
        toolbar = bmp_to_png(f.read())
    with open(os.path.join(resources, 'zentrov.ico'), 'rb') as f:
        icon = f.read()
    constants = {
        'ZENTROV_WORKLET': read(os.path.join(source, 'sound_worklet.js')),
        'ZENTROV_STYLE': read(os.path.join(source, 'player.css')),
        'ZENTROV_TOOLBAR': data_url('image/png', toolbar),
        'ZENTROV_ICON': data_url('image/x-icon', icon),
    }
    parts = ['// Zentrov web player: <zentrov-player src="movie.cpk">. Built file.\n(() => {\n',
             read(module_js), '\n']
    for name, value in constants.items():
        parts.append('const %s = %s;\n' % (name, json.dumps(value)))
    parts += [read(os.path.join(source, 'player_element.js')), '\n})();\n']
    script = ''.join(parts)
    with open(os.path.join(out, 'zentrov-player.js'), 'w', encoding='utf-8') as f:
        f.write(script)

    # Inside a <script> element the text must not close it early.
    inline = script.replace('</script', '<\\/script').replace('<!--', '<\\!--')
    page = read(os.path.join(source, 'page.html'))
    page = page.replace('@ICON@', constants['ZENTROV_ICON'])
    page = page.replace('@SCRIPT@', inline)
    with open(os.path.join(out, 'zentrov.html'), 'w', encoding='utf-8') as f:
        f.write(page)


if __name__ == '__main__':
    main()
