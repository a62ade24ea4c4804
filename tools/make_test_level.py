#!/usr/bin/env python3
"""Writes the "arena" test level: two rooms joined by a wide doorway, a
mirror on the west wall, a crate and a pillar, the robot and shot models,
and small generated textures. Usage: make_test_level.py OUTDIR [MEDIADIR]
(the media files "Roadsong.mid", "gun.wav", "dead.wav" are copied from
MEDIADIR when given)."""

import os
import shutil
import struct
import sys

FLOOR_Y = -90
WALL_TOP = 110


def bmp(path, w, h, pixel):
    """24-bit BMP; pixel(x, y) -> (r, g, b), y from the top."""
    row = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray()
        for x in range(w):
            r, g, b = pixel(x, y)
            line += bytes((b, g, r))
        line += bytes(row - len(line))
        data += line
    header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + data)


def fmt(v):
    return ('%g' % v) if v != int(v) else str(int(v))


def quad_corners(c, r, u):
    """Corners bottom-left, top-left, bottom-right, top-right of a face with
    centre c, half right vector r and half up vector u, as seen from the
    side it faces."""
    def add(a, b, s):
        return tuple(a[i] + s * b[i] for i in range(3))
    bl = add(add(c, r, -1), u, -1)
    tl = add(add(c, r, -1), u, 1)
    br = add(add(c, r, 1), u, -1)
    tr = add(add(c, r, 1), u, 1)
    return bl, tl, br, tr


def plain_quad(room, material, texture, corners, normal, uv_scale=(1, 1), lead='0'):
    lines = [f'{lead} {room} {material} {texture} 4 2']
    uvs = [(0, uv_scale[1]), (0, 0), (uv_scale[0], uv_scale[1]), (uv_scale[0], 0)]
    for (x, y, z), (u, v) in zip(corners, uvs):
        lines.append(f'{fmt(x)} {fmt(y)} {fmt(z)}   {fmt(normal[0])} {fmt(normal[1])} {fmt(normal[2])}   {fmt(u)} {fmt(v)}')
    return '\n'.join(lines)


def box_faces(x0, x1, y0, y1, z0, z1, top=True, bottom=True):
    cx, cy, cz = (x0 + x1) / 2, (y0 + y1) / 2, (z0 + z1) / 2
    hx, hy, hz = (x1 - x0) / 2, (y1 - y0) / 2, (z1 - z0) / 2
    faces = [
        quad_corners((cx, cy, z0), (hx, 0, 0), (0, hy, 0)),    # faces -z
        quad_corners((cx, cy, z1), (-hx, 0, 0), (0, hy, 0)),   # faces +z
        quad_corners((x0, cy, cz), (0, 0, -hz), (0, hy, 0)),   # faces -x
        quad_corners((x1, cy, cz), (0, 0, hz), (0, hy, 0)),    # faces +x
    ]
    if top:
        faces.append(quad_corners((cx, y1, cz), (hx, 0, 0), (0, 0, hz)))
    if bottom:
        faces.append(quad_corners((cx, y0, cz), (-hx, 0, 0), (0, 0, hz)))
    return faces


def list_quads(room, marker, material, texture, faces):
    lines = [f'-1 {room} {marker} {material} {texture} {-len(faces)}']
    uvs = [(0, 1), (0, 0), (1, 1), (1, 0)]
    for face in faces:
        for (x, y, z), (u, v) in zip(face, uvs):
            lines.append(f'{fmt(x)} {fmt(y)} {fmt(z)}  {u} {v}')
    return '\n'.join(lines)


def wall(room, x0, z0, x1, z1, texture=1):
    """A wall from (x0, z0) to (x1, z1), seen from the side where that run
    goes from left to right."""
    c = ((x0 + x1) / 2, (FLOOR_Y + WALL_TOP) / 2, (z0 + z1) / 2)
    r = ((x1 - x0) / 2, 0, (z1 - z0) / 2)
    u = (0, (WALL_TOP - FLOOR_Y) / 2, 0)
    length = max(abs(x1 - x0), abs(z1 - z0))
    dx, dz = x1 - x0, z1 - z0
    n = (dz / length, 0, -dx / length)  # the side the wall is seen from
    return plain_quad(room, 0, texture, quad_corners(c, r, u), n, (length / 200, 1))


def floor(room, x0, z0, x1, z1):
    c = ((x0 + x1) / 2, FLOOR_Y, (z0 + z1) / 2)
    corners = quad_corners(c, ((x1 - x0) / 2, 0, 0), (0, 0, (z1 - z0) / 2))
    return plain_quad(room, 0, 0, corners, (0, 1, 0), ((x1 - x0) / 200, (z1 - z0) / 200))


def marker(room, p0, p2):
    lines = [f'1 0 {room} 0 0 3 1']
    for p in (p0, (p0[0], p0[1] + 10, p0[2]), p2):
        lines.append(f'{fmt(p[0])} {fmt(p[1])} {fmt(p[2])}   0 0 1   0 0')
    return '\n'.join(lines)


def rooms():
    recs = []
    # Record 0: the mirror pane in the plane x = -100. It is a marker, so the
    # scene pass does not draw it and leave its depth in front of the
    # reflection: only the stencil mark and the glass draw it.
    recs.append(plain_quad(0, 1, 1, quad_corners((-100, 10, 600), (0, 0, 50), (0, 100, 0)), (1, 0, 0),
                           lead='1 0'))
    recs.append(floor(0, -100, -100, 1300, 900))
    recs.append(floor(1, -100, 900, 1300, 1600))
    recs.append(wall(0, -100, -100, -100, 550))     # west, south of the mirror
    recs.append(wall(1, -100, 650, -100, 1600))     # west, north of the mirror
    recs.append(wall(0, 1300, 900, 1300, -100))     # east
    recs.append(wall(1, 1300, 1600, 1300, 900))
    recs.append(wall(0, 1300, -100, -100, -100))    # south
    recs.append(wall(1, -100, 1600, 1300, 1600))    # north
    # The dividing wall at z = 900 with a doorway from x = 200 to x = 1000,
    # one face into each room.
    recs.append(wall(0, -100, 900, 200, 900))
    recs.append(wall(1, 200, 900, -100, 900))
    recs.append(wall(0, 1000, 900, 1300, 900))
    recs.append(wall(1, 1300, 900, 1000, 900))
    # Far behind the mirror, beyond where the reflected rooms lie, a wall
    # that stops shots fired through the pane.
    recs.append(wall(0, -1600, -100, -1600, 1600))
    recs.append(marker(0, (600, -50, 800), (500, -50, 800)))
    recs.append(marker(1, (600, -50, 1000), (500, -50, 1000)))
    return recs


def props():
    crate = list_quads(0, 0, 0, 2, box_faces(300, 340, FLOOR_Y, -50, 150, 190, bottom=False))
    pillar = list_quads(1, 0, 0, 1, box_faces(600, 640, FLOOR_Y, WALL_TOP, 1200, 1240, top=False, bottom=False))
    return [crate, pillar]


def part(pivot, keys, mesh, child=None, sibling=None):
    text = [f'({fmt(pivot[0])}, {fmt(pivot[1])}, {fmt(pivot[2])})']
    text.append(' '.join(f'({fmt(t)}, {fmt(a)}, {fmt(b)}, {fmt(c)})' for t, a, b, c in keys))
    text.append(mesh)
    text.append('1' if child else '0')
    if child:
        text.append(child)
    text.append('1' if sibling else '0')
    if sibling:
        text.append(sibling)
    return '\n'.join(text)


def robot_model():
    # The model faces +x; legs swing about z in opposite phase.
    still = [(0, 0, 0, 0), (1, 0, 0, 0)]
    head = part((0, 30, 0), [(0, 0, 20, 0), (0.5, 0, -20, 0), (1, 0, 20, 0)],
                list_quads(0, 0, 0, 3, box_faces(-8, 8, 30, 46, -8, 8)))
    right_leg = part((0, -40, 6), [(0, 0, 0, -30), (0.5, 0, 0, 30), (1, 0, 0, -30)],
                     list_quads(0, 0, 0, 2, box_faces(-4, 4, FLOOR_Y, -40, 2, 10)), sibling=head)
    left_leg = part((0, -40, -6), [(0, 0, 0, 30), (0.5, 0, 0, -30), (1, 0, 0, 30)],
                    list_quads(0, 0, 0, 2, box_faces(-4, 4, FLOOR_Y, -40, -10, -2)), sibling=right_leg)
    body = part((0, 0, 0), still, list_quads(0, 0, 0, 2, box_faces(-15, 15, -40, 30, -10, 10)), child=left_leg)
    return '1\n' + body + '\n'


def shot_model():
    # Long along z, the direction the shot flies; it spins about that axis.
    mesh = list_quads(0, 0, 0, 3, box_faces(-3, 3, -13, -7, -8, 8))
    return '1\n' + part((0, -10, 0), [(0, 0, 0, 0), (0.5, 0, 0, 180), (1, 0, 0, 360)], mesh) + '\n'


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    textures = ['floor.bmp', 'wall.bmp', 'metal.bmp', 'head.bmp', 'xray.bmp']
    light_maps = ['lightbright.bmp', 'lightdim.bmp']
    with open(os.path.join(out, 'Lbank.txt'), 'w') as f:
        f.write(f'{len(light_maps)}\n' + '\n'.join(light_maps) + '\n')
    materials = [
        '1 1 1 1   0.5 0.5 0.5 1   0 0 0 0',
        '0.6 0.7 0.9 0.35   0.3 0.3 0.4 0.35   0 0 0 0',
    ]
    recs = rooms()
    with open(os.path.join(out, 'dat.txt'), 'w') as f:
        f.write(f'{len(textures)}\n' + '\n'.join(textures) + '\n')
        f.write(f'{len(materials)}\n' + '\n'.join(materials) + '\n')
        f.write(f'{len(recs)} 2\n' + '\n'.join(recs) + '\n')
    prop_list = props()
    with open(os.path.join(out, 'objects.txt'), 'w') as f:
        f.write(f'{len(prop_list)}\n' + '\n'.join(prop_list) + '\n')
    with open(os.path.join(out, 'enin.txt'), 'w') as f:
        f.write(robot_model())
    with open(os.path.join(out, 'shot.txt'), 'w') as f:
        f.write(shot_model())

    size = 16
    bmp(os.path.join(out, 'floor.bmp'), size, size,
        lambda x, y: (120, 110, 90) if (x // 4 + y // 4) % 2 else (160, 150, 120))
    bmp(os.path.join(out, 'wall.bmp'), size, size,
        lambda x, y: (90, 60, 50) if y % 4 == 0 or (x + (y // 4) * 4) % 8 == 0 else (170, 90, 70))
    bmp(os.path.join(out, 'metal.bmp'), size, size, lambda x, y: (100 + 4 * x, 110 + 4 * x, 130 + 4 * x))
    bmp(os.path.join(out, 'head.bmp'), size, size,
        lambda x, y: (230, 40, 30) if 5 <= y <= 8 and (3 <= x <= 5 or 10 <= x <= 12) else (180, 180, 190))
    bmp(os.path.join(out, 'xray.bmp'), size, size, lambda x, y: (40, 200, 60))
    bmp(os.path.join(out, 'lightbright.bmp'), size, size, lambda x, y: (255, 255, 240))
    bmp(os.path.join(out, 'lightdim.bmp'), size, size, lambda x, y: (150 + 5 * y, 150 + 5 * y, 160 + 5 * y))
    bmp(os.path.join(out, 'blank.bmp'), 8, 8, lambda x, y: (255, 255, 255))
    bmp(os.path.join(out, 'sky2.bmp'), 8, 8, lambda x, y: (100, 140, 220 - 10 * y))

    if len(sys.argv) > 2:
        for name in ('Roadsong.mid', 'gun.wav', 'dead.wav'):
            shutil.copyfile(os.path.join(sys.argv[2], name), os.path.join(out, name))


if __name__ == '__main__':
    main()
