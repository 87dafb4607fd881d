#!/usr/bin/env python3
"""Draws every picture of the installer's skin set into skin/res/ (and the
program icon into skin/Lumora.ico) with ImageMagick's convert; the spinner
ring of the progress animation is computed here pixel by pixel. Labels use
WenQuanYi Micro Hei (package fonts-wqy-microhei).

The pictures only have to keep their names and pixel sizes; everything else
is ours. Small shapes are drawn at four times their size and scaled down, so
edges come out smooth; every file is written without time stamps, so a
second run gives the same bytes.

    python3 tools/skin/make-skin-images.py [SKIN_DIR]
"""

import math
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SKIN = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else os.path.join(ROOT, "skin")
FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
SS = 4  # supersampling factor for shapes

# A calm light palette around the skins' own accent blue.
BLUE = "#1675FE"
BLUE_LIGHT = "#4A93FF"
BLUE_HOT = "#5A9DFD"
BLUE_HOT_LIGHT = "#6AA8FF"
BLUE_PUSHED = "#1365DB"
BLUE_PUSHED_DARK = "#0F56BD"
INK = "#282A43"
INK_SOFT = "#606178"
GREY_LINE = "#D3DAE6"
TRACK = "#E4EAF3"
GREEN = "#22B573"

# Written last on every command: no dates, no profiles, fixed compression.
STABLE = ["-strip", "-define", "png:exclude-chunk=date,time,tEXt,zTXt,iTXt",
          "-define", "png:compression-level=9"]


def out_path(name):
    path = os.path.join(SKIN, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    return path


def run(args):
    subprocess.run(["convert"] + args, check=True)


def save(args, name, palette=False):
    """args build the picture; it is written as 8-bit RGBA, or as a palette PNG."""
    prefix = "PNG8:" if palette else "PNG32:"
    run(args + STABLE + [prefix + out_path(name)])


def canvas(w, h, scale=SS, colour="none"):
    return ["-size", "%dx%d" % (w * scale, h * scale), "xc:" + colour]


def shrink(w, h):
    return ["-filter", "Box", "-resize", "%dx%d!" % (w, h)]


def s(values, scale=SS):
    """Scales drawing coordinates, given at the final size, to the canvas, as
    "x,y x,y ..." pairs."""
    scaled = ["%g" % (v * scale) for v in values]
    return " ".join(",".join(scaled[i:i + 2]) for i in range(0, len(scaled), 2))


def gradient_shape(w, h, top, bottom, shape, scale=SS):
    """A vertical gradient cut to shape (a -draw primitive at canvas scale)."""
    return (["-size", "%dx%d" % (w * scale, h * scale), "gradient:%s-%s" % (top, bottom), "-alpha", "set",
             "(", "-size", "%dx%d" % (w * scale, h * scale), "xc:none", "-fill", "white",
             "-draw", shape, ")", "-compose", "DstIn", "-composite", "-compose", "Over"])


def pairs(values):
    return list(zip(values[0::2], values[1::2]))


def open_path(points):
    """Draw arguments for an open stroked path (points at the final size): one
    round-capped line per segment, since convert closes stroked polylines and arcs."""
    args = []
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        args += ["-draw", "stroke-linecap round line %s" % s([x0, y0, x1, y1])]
    return args


def arc_points(cx, cy, r, start_deg, end_deg, steps=24):
    return [(cx + r * math.cos(math.radians(start_deg + (end_deg - start_deg) * i / steps)),
             cy + r * math.sin(math.radians(start_deg + (end_deg - start_deg) * i / steps)))
            for i in range(steps + 1)]


def text(label, size, colour, dx=0, dy=0, gravity="center", weight_px=0):
    """Text at final pixel size, drawn after the shape has been scaled down."""
    args = ["-gravity", gravity, "-font", FONT, "-pointsize", str(size), "-fill", colour]
    if weight_px:
        args += ["-stroke", colour, "-strokewidth", str(weight_px)]
    args += ["-annotate", "+%d+%d" % (dx, dy), label, "-stroke", "none", "-gravity", "NorthWest"]
    return args


# ---------------------------------------------------------------- backgrounds

def background(name):
    w, h = 600, 400
    args = ["-size", "%dx%d" % (w, h), "gradient:#FFFFFF-#EDF3FC",
            # soft light shapes in the lower right
            "(", "-size", "%dx%d" % (w, h), "xc:none",
            "-fill", "#1675FE10", "-draw", "circle 560,420 560,190",
            "-fill", "#1675FE0C", "-draw", "circle 470,470 470,300",
            "-fill", "#5A9DFD0E", "-draw", "circle 40,-40 40,110",
            "-blur", "0x2", ")", "-composite",
            # a hairline under the title bar
            "-fill", "#1675FE0F", "-draw", "rectangle 0,44 599,44",
            "-alpha", "set"]
    save(args, name)


# ---------------------------------------------------------------------- logo

def logo_mark(size, scale=SS):
    """The Lumora mark: a rounded square in accent blue with a rising light beam."""
    px = size * scale
    r = px * 0.24
    return (gradient_shape(size, size, "#4C9BFF", "#1462E0",
                           "roundrectangle 0,0 %d,%d %g,%g" % (px - 1, px - 1, r, r), scale)
            + ["-fill", "white",
               "-draw", "polygon %s" % " ".join("%g,%g" % (x * px, y * px) for x, y in
                                                 [(0.30, 0.22), (0.43, 0.22), (0.43, 0.66), (0.72, 0.66),
                                                  (0.72, 0.78), (0.30, 0.78)]),
               "-fill", "#FFFFFFB0",
               "-draw", "circle %g,%g %g,%g" % (0.68 * px, 0.34 * px, 0.68 * px + 0.085 * px, 0.34 * px)])


def logo():
    """Mark, name and slogan, drawn loose and then centred in the logo's box,
    so the picture sits in the middle of the row that centres it."""
    w, h = 292, 62
    mark = "/tmp/lumora-logo-mark.png"
    run(logo_mark(54) + shrink(54, 54) + STABLE + ["PNG32:" + mark])
    args = ["-size", "%dx%d" % (w * 2, h), "xc:none",
            mark, "-geometry", "+4+4", "-composite"]
    args += text("Lumora", 36, INK, dx=72, dy=-7, gravity="West", weight_px=1)
    args += text("轻松安装，即刻开启", 13, "#7B8197", dx=75, dy=20, gravity="West")
    args += ["-trim", "+repage", "-background", "none", "-gravity", "center", "-extent", "%dx%d" % (w, h),
             "-gravity", "NorthWest"]
    save(args, "res/mainWnd/logo.png")
    os.remove(mark)


# ------------------------------------------------------------------- buttons

BUTTON_STATES = [  # (top, bottom) gradient for normal, hover, pressed
    (BLUE_LIGHT, BLUE),
    (BLUE_HOT_LIGHT, BLUE_HOT),
    (BLUE_PUSHED, BLUE_PUSHED_DARK),
]


def filled_button(name, w, h, label, size, state, radius):
    top, bottom = BUTTON_STATES[state]
    shape = "roundrectangle 0,0 %d,%d %d,%d" % (w * SS - 1, h * SS - 1, radius * SS, radius * SS)
    args = gradient_shape(w, h, top, bottom, shape) + shrink(w, h)
    args += text(label, size, "white", dy=1 if state == 2 else 0)
    save(args, name)


def back_button(name, state):
    w, h = 64, 30
    fill = ["none", "#1675FE14", "#1675FE26"][state]
    ink = [INK_SOFT, BLUE, BLUE_PUSHED][state]
    args = canvas(w, h) + ["-fill", fill, "-draw", "roundrectangle 0,0 %d,%d %d,%d" % (w * SS - 1, h * SS - 1, 15 * SS, 15 * SS),
                           "-fill", "none", "-stroke", ink, "-strokewidth", str(1.8 * SS),
                           *open_path(pairs([15, 10, 10, 15, 15, 20])),
                           "-stroke", "none"]
    args += shrink(w, h) + text("返回", 14, ink, dx=8)
    save(args, name)


def arrow_icon(name, colour):
    """A small right-pointing chevron in a circle, beside the custom-install link."""
    w = h = 16
    args = canvas(w, h) + ["-fill", "none", "-stroke", colour, "-strokewidth", str(1.3 * SS),
                           "-draw", "circle %s" % s([8, 8, 8, 1.5]),
                           "-strokewidth", str(1.6 * SS),
                           *open_path(pairs([7, 5, 10, 8, 7, 11])), "-stroke", "none"]
    save(args + shrink(w, h), name, palette=True)


def check_box(name, checked):
    w, h = 15, 14
    # the box is 14 by 14, one column of air on the right keeps it square
    if checked:
        args = canvas(w, h) + ["-fill", BLUE, "-draw", "roundrectangle %s %d,%d" % (s([0, 0, 13.9, 13.9]), 3 * SS, 3 * SS),
                               "-fill", "none", "-stroke", "white", "-strokewidth", str(1.8 * SS),
                               *open_path(pairs([3.3, 7.2, 6, 9.8, 10.8, 4.4])), "-stroke", "none"]
    else:
        args = canvas(w, h) + ["-fill", "white", "-stroke", "#B8C2D3", "-strokewidth", str(1 * SS),
                               "-draw", "roundrectangle %s %d,%d" % (s([0.5, 0.5, 13.4, 13.4]), 3 * SS, 3 * SS),
                               "-stroke", "none"]
    save(args + shrink(w, h), name)


def edit_frame():
    w, h = 340, 36
    args = canvas(w, h) + ["-fill", "white", "-stroke", GREY_LINE, "-strokewidth", str(SS),
                           "-draw", "roundrectangle %s %d,%d" % (s([0.5, 0.5, w - 1.5, h - 1.5]), 4 * SS, 4 * SS),
                           "-stroke", "none"]
    save(args + shrink(w, h), "res/mainWnd/installDirEdit.png")


def progress_bar(name, w, top, bottom):
    h = 8
    shape = "roundrectangle 0,0 %d,%d %d,%d" % (w * SS - 1, h * SS - 1, 4 * SS, 4 * SS)
    save(gradient_shape(w, h, top, bottom, shape) + shrink(w, h), name)


def tip_bubble():
    w, h = 120, 36
    args = canvas(w, h) + ["-fill", "#FF8A3D",
                           "-draw", "roundrectangle %s %d,%d" % (s([0, 0, w - 1, 28]), 6 * SS, 6 * SS),
                           "-draw", "polygon %s" % s([16, 27, 26, 27, 18, 35])]
    args += shrink(w, h) + text("一键极速安装", 13, "white", dy=-4)
    save(args, "res/mainWnd/tipLbl.png")


def finished_mark():
    w = h = 80
    args = canvas(w, h) + ["-fill", "#22B57322", "-draw", "circle %s" % s([40, 40, 40, 1]),
                           ] + ["-fill", GREEN, "-draw", "circle %s" % s([40, 40, 40, 9]),
                                "-fill", "none", "-stroke", "white", "-strokewidth", str(5 * SS),
                                *open_path(pairs([26, 41, 36, 51, 55, 31])), "-stroke", "none"]
    save(args + shrink(w, h), "res/mainWnd/finished.png")


# ----------------------------------------------------------------- animation

def smooth_step(edge0, edge1, x):
    t = min(1.0, max(0.0, (x - edge0) / (edge1 - edge0)))
    return t * t * (3 - 2 * t)


def spinner_layer(path, k, count, size=160, radius=58.0, width=9.0):
    """The ring of frame k, computed per pixel so the comet tail fades without
    seams: a light track, an arc whose opacity rises towards its round head."""
    head = 2 * math.pi * k / count - math.pi / 2
    tail = math.radians(150)
    track = (0xE4, 0xEA, 0xF3)
    accent = (0x16, 0x75, 0xFE)
    c = size / 2.0
    hx, hy = c + radius * math.cos(head), c + radius * math.sin(head)
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            px, py = x + 0.5 - c, y + 0.5 - c
            dist = math.hypot(px, py)
            ring = 1.0 - smooth_step(width / 2 - 0.7, width / 2 + 0.7, abs(dist - radius))
            behind = (head - math.atan2(py, px)) % (2 * math.pi)  # angle back from the head
            arc = 0.0
            if behind <= tail:
                arc = ring * (0.12 + 0.88 * (1.0 - behind / tail) ** 1.6)
            cap = 1.0 - smooth_step(width / 2 - 0.7, width / 2 + 0.7, math.hypot(x + 0.5 - hx, y + 0.5 - hy))
            arc = max(arc, cap)
            # the accent arc over the track, composed by hand
            a_t = ring
            alpha = arc + a_t * (1 - arc)
            if alpha <= 0:
                row += bytes(4)
                continue
            rgb = [(accent[i] * arc + track[i] * a_t * (1 - arc)) / alpha for i in range(3)]
            row += bytes([int(round(v)) for v in rgb] + [int(round(alpha * 255))])
        rows.append(bytes(row))
    with open(path, "wb") as f:
        f.write(b"P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" % (size, size))
        f.write(b"".join(rows))


def animation_frame(k, count=21):
    """Frame k of the install spinner: the ring circling a tray with an arrow
    that bobs gently once per turn."""
    w = h = 160
    cx = 80
    layer = "/tmp/lumora-spinner-%d.pam" % k
    spinner_layer(layer, k, count)
    bob = 3 * math.sin(2 * math.pi * k / count)
    glyph = canvas(w, h) + ["-fill", "#1675FE0D", "-draw", "circle %s" % s([cx, 80, cx, 80 - 47]),
                            "-fill", "none", "-stroke", BLUE, "-strokewidth", str(5 * SS),
                            "-draw", "line %s" % s([cx, 56 + bob, cx, 86 + bob]),
                            *open_path(pairs([cx - 12, 75 + bob, cx, 87 + bob, cx + 12, 75 + bob])),
                            *open_path(pairs([cx - 23, 90, cx - 23, 102, cx + 23, 102, cx + 23, 90])),
                            "-stroke", "none"] + shrink(w, h)
    save([layer] + ["("] + glyph + [")", "-compose", "Over", "-composite"],
         "res/mainWnd/installBtnAnimate/%03d.png" % k)
    os.remove(layer)


# ------------------------------------------------------------ window buttons

def round_glyph_button(name, glyph, ink, fill, size=24, glyph_width=1.6):
    args = canvas(size, size)
    if fill != "none":
        args += ["-fill", fill, "-draw", "circle %s" % s([12, 12, 12, 1])]
    args += ["-fill", "none", "-stroke", ink, "-strokewidth", str(glyph_width * SS)]
    for prim in glyph:
        args += ["-draw", prim]
    args += ["-stroke", "none"]
    save(args + shrink(size, size), name)


MIN_GLYPH = ["line %s" % s([7, 12.5, 17, 12.5])]
CLOSE_GLYPH = ["line %s" % s([7.5, 7.5, 16.5, 16.5]), "line %s" % s([16.5, 7.5, 7.5, 16.5])]
SMALL_CLOSE_GLYPH = ["line %s" % s([8.5, 8.5, 15.5, 15.5]), "line %s" % s([15.5, 8.5, 8.5, 15.5])]


def window_buttons():
    states = [("#7B8197", "none"), (INK, "#1675FE18"), (INK, "#1675FE30")]
    for i, (ink, fill) in enumerate(states, 1):
        round_glyph_button("res/common/minbtn%d.png" % i, MIN_GLYPH, ink, fill)
    for i, (ink, fill) in enumerate([("#7B8197", "none"), ("white", "#F0564A"), ("white", "#C9392F")], 1):
        round_glyph_button("res/common/closebtn%d.png" % i, CLOSE_GLYPH, ink, fill)
    for i, (ink, fill) in enumerate([("#9AA0B2", "none"), ("#555C78", "#E9EDF4"), ("#333333", "#DCE2EC")], 1):
        round_glyph_button("res/common/closebtnM_%d.png" % i, SMALL_CLOSE_GLYPH, ink, fill, glyph_width=1.4)


# --------------------------------------------------------------- prompt icons

def prompt_icon(name, top, bottom, glyph_args, text_args=()):
    """glyph_args draw at canvas scale, text_args at the final size."""
    w = h = 40
    args = gradient_shape(w, h, top, bottom, "circle %s" % s([20, 20, 20, 0.5])) + glyph_args
    save(args + shrink(w, h) + list(text_args), name)


def prompt_icons():
    prompt_icon("res/MessageBoxWnd/icoQuest.png", "#4C9BFF", BLUE,
                [], text("?", 27, "white", dy=1, weight_px=1))
    prompt_icon("res/MessageBoxWnd/icoNetwork.png", "#FFB35C", "#FF8A3D",
                ["-fill", "none", "-stroke", "white", "-strokewidth", str(3 * SS),
                 *open_path(arc_points(20, 29, 16, 225, 315)), *open_path(arc_points(20, 29, 10, 225, 315)),
                 "-stroke", "none", "-fill", "white", "-draw", "circle %s" % s([20, 28, 22.6, 28])])
    prompt_icon("res/MessageBoxWnd/icoWarn.png", "#FFC53D", "#FAAD14",
                ["-fill", "white", "-draw", "roundrectangle %s %d,%d" % (s([18, 9, 22, 25]), 2 * SS, 2 * SS),
                 "-draw", "circle %s" % s([20, 30.5, 22.4, 30.5])])


# ---------------------------------------------------------------------- icon

def program_icon():
    frames = []
    for size in (16, 24, 32, 48, 64, 256):
        frame = "/tmp/lumora-icon-%d.png" % size
        scale = 2 if size >= 64 else SS
        run(logo_mark(size, scale) + shrink(size, size) + STABLE + ["PNG32:" + frame])
        frames.append(frame)
    run(frames + ["-strip", out_path("Lumora.ico")])
    for frame in frames:
        os.remove(frame)


def main():
    for i in range(1, 5):
        background("res/mainWnd/bg%d.png" % i)
    logo()
    for i in range(3):
        filled_button("res/mainWnd/installBtn%d.png" % (i + 1), 200, 46, "立即安装", 18, i, 23)
        filled_button("res/mainWnd/experienceBtn%d.png" % (i + 1), 200, 46, "立即体验", 18, i, 23)
        filled_button("res/mainWnd/chDirBtn%d.png" % (i + 1), 81, 36, "浏览", 15, i, 4)
        back_button("res/mainWnd/backBtn%d.png" % (i + 1), i)
    arrow_icon("res/mainWnd/customeBtn1.png", INK_SOFT)
    arrow_icon("res/mainWnd/customeBtn2.png", INK)
    check_box("res/mainWnd/Cb1.png", False)
    check_box("res/mainWnd/Cb2.png", True)
    edit_frame()
    progress_bar("res/mainWnd/installPrg1.png", 410, TRACK, TRACK)
    progress_bar("res/mainWnd/installPrg2.png", 520, "#4A93FF", BLUE)
    tip_bubble()
    finished_mark()
    for k in range(21):
        animation_frame(k)
    window_buttons()
    prompt_icons()
    program_icon()


if __name__ == "__main__":
    main()
