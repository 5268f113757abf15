#!/usr/bin/python3
"""Draws the window's pictures and the application icon from scratch.

The results are committed under resources/images and resources/icons; the build does not run this.
Needs Pillow (Debian: python3-pil) and the DejaVu fonts. Run: /usr/bin/python3 make_pictures.py
"""
import math
import os

from PIL import Image, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
RESOURCES = os.path.dirname(HERE)
FONT_DIR = "/usr/share/fonts/truetype/dejavu"
SCALE = 4  # everything is drawn large and scaled down, which smooths the edges


def Font(name, size):
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size)


def VerticalGradient(size, top, bottom):
    width, height = size
    image = Image.new("RGB", size)
    draw = ImageDraw.Draw(image)
    for y in range(height):
        t = y / max(1, height - 1)
        colour = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
        draw.line([(0, y), (width, y)], fill=colour)
    return image


def WaveMark(draw, centre, unit, colour, arcs=3):
    """A dot with radio waves spreading to the upper right: the Vesk mark."""
    cx, cy = centre
    dot = unit * 0.9
    draw.ellipse([cx - dot, cy - dot, cx + dot, cy + dot], fill=colour)
    for i in range(1, arcs + 1):
        r = unit * (1.2 + 1.5 * i)
        draw.arc([cx - r, cy - r, cx + r, cy + r], start=-80, end=-10, fill=colour,
                 width=max(1, round(unit * 0.75)))


def DrawModule():
    w, h = 378 * SCALE, 379 * SCALE
    s = SCALE
    image = VerticalGradient((w, h), (236, 240, 244), (205, 212, 220))

    # Board outline and its soft shadow on the background.
    board = [70 * s, 120 * s, 308 * s, 330 * s]
    shadow = Image.new("L", (w, h), 0)
    ImageDraw.Draw(shadow).rounded_rectangle(
        [board[0] + 8 * s, board[1] + 12 * s, board[2] + 8 * s, board[3] + 12 * s],
        radius=10 * s, fill=120)
    shadow = shadow.filter(ImageFilter.GaussianBlur(9 * s))
    image.paste((90, 96, 110), mask=shadow)
    draw = ImageDraw.Draw(image)

    # Spring antenna standing on its pad at the top left of the board.
    coil_x, coil_base, coil_top = 118 * s, 150 * s, 18 * s
    turns = 14
    pitch = (coil_base - coil_top) / turns
    for i in range(turns):
        y = coil_top + i * pitch
        draw.ellipse([coil_x - 16 * s, y, coil_x + 16 * s, y + pitch * 1.1],
                     outline=(150, 110, 40), width=3 * s)
        draw.arc([coil_x - 16 * s, y, coil_x + 16 * s, y + pitch * 1.1], start=200, end=340,
                 fill=(245, 205, 110), width=2 * s)
    draw.line([(coil_x, coil_base), (coil_x, coil_base + 18 * s)], fill=(170, 130, 50),
              width=4 * s)

    # The board: solder mask, a lighter edge, mounting holes, traces.
    draw.rounded_rectangle(board, radius=10 * s, fill=(18, 92, 60), outline=(60, 140, 95),
                           width=3 * s)
    for hx, hy in [(86, 136), (292, 136), (86, 314), (292, 314)]:
        draw.ellipse([(hx - 7) * s, (hy - 7) * s, (hx + 7) * s, (hy + 7) * s], fill=(200, 170, 90))
        draw.ellipse([(hx - 4) * s, (hy - 4) * s, (hx + 4) * s, (hy + 4) * s], fill=(225, 230, 235))
    trace = (36, 120, 78)
    for x in range(150, 290, 14):
        draw.line([(x * s, 290 * s), (x * s, 262 * s), ((x + 6) * s, 254 * s)], fill=trace,
                  width=2 * s)
    draw.line([(coil_x, 168 * s), (coil_x, 200 * s), (146 * s, 200 * s)], fill=trace, width=4 * s)
    draw.rectangle([106 * s, 160 * s, 130 * s, 176 * s], fill=(205, 175, 95))

    # Shielding can over the radio, with a stamped marking.
    can = [144 * s, 146 * s, 284 * s, 252 * s]
    can_face = VerticalGradient((can[2] - can[0], can[3] - can[1]), (226, 229, 233),
                                (168, 174, 182))
    image.paste(can_face, (can[0], can[1]))
    draw.rectangle(can, outline=(120, 126, 134), width=2 * s)
    draw.rectangle([can[0] + 6 * s, can[1] + 6 * s, can[2] - 6 * s, can[3] - 6 * s],
                   outline=(200, 204, 210), width=s)
    for i in range(8):
        x = can[0] + 16 * s + i * 16 * s
        draw.ellipse([x - 2 * s, can[3] - 16 * s, x + 2 * s, can[3] - 12 * s], fill=(130, 136, 144))
    draw.text(((can[0] + can[2]) // 2, can[1] + 34 * s), "VESK", font=Font("DejaVuSans-Bold.ttf",
              26 * s), fill=(92, 98, 108), anchor="mm")
    draw.text(((can[0] + can[2]) // 2, can[1] + 62 * s), "R20  433MHz",
              font=Font("DejaVuSans.ttf", 12 * s), fill=(92, 98, 108), anchor="mm")

    # Small parts: capacitors, a crystal, an LED, a regulator.
    for x, y in [(100, 210), (100, 232), (120, 254), (290, 170), (290, 196), (290, 222)]:
        draw.rectangle([(x - 5) * s, (y - 3) * s, (x + 5) * s, (y + 3) * s], fill=(170, 130, 90))
        draw.rectangle([(x - 5) * s, (y - 3) * s, (x - 3) * s, (y + 3) * s], fill=(210, 210, 215))
        draw.rectangle([(x + 3) * s, (y - 3) * s, (x + 5) * s, (y + 3) * s], fill=(210, 210, 215))
    draw.rounded_rectangle([92 * s, 270 * s, 130 * s, 284 * s], radius=6 * s, fill=(200, 204, 210),
                           outline=(140, 144, 150), width=s)
    draw.rectangle([150 * s, 262 * s, 178 * s, 280 * s], fill=(30, 30, 34))
    draw.ellipse([262 * s, 262 * s, 274 * s, 274 * s], fill=(255, 70, 60))
    draw.ellipse([265 * s, 264 * s, 269 * s, 268 * s], fill=(255, 200, 190))

    # Pin header along the bottom edge: black strip, gold pins, and their labels.
    header = [120 * s, 296 * s, 258 * s, 316 * s]
    draw.rectangle(header, fill=(28, 28, 30))
    labels = ["VCC", "GND", "TXD", "RXD", "AUX", "SET"]
    label_font = Font("DejaVuSans.ttf", 7 * s)
    for i, label in enumerate(labels):
        x = header[0] + 12 * s + i * 23 * s
        draw.rectangle([x - 4 * s, header[1] + 6 * s, x + 4 * s, header[3] - 6 * s],
                       fill=(228, 190, 90))
        draw.text((x, header[1] - 7 * s), label, font=label_font, fill=(235, 240, 235),
                  anchor="mm")

    return image.resize((378, 379), Image.LANCZOS)


def DrawLogo():
    w, h = 110 * SCALE, 50 * SCALE
    s = SCALE
    image = VerticalGradient((w, h), (22, 58, 118), (10, 28, 66))
    draw = ImageDraw.Draw(image)
    draw.rectangle([0, h - 5 * s, w, h], fill=(120, 220, 60))
    WaveMark(draw, (13 * s, 30 * s), 2.4 * s, (120, 220, 60))
    draw.text((34 * s, 21 * s), "VESK", font=Font("DejaVuSans-Bold.ttf", 21 * s),
              fill=(255, 255, 255), anchor="lm")
    draw.text((35 * s, 37 * s), "radio modules", font=Font("DejaVuSans.ttf", 8 * s),
              fill=(190, 210, 235), anchor="lm")
    return image.resize((110, 50), Image.LANCZOS)


def DrawIcon(size):
    big = size * 8
    image = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    margin = big * 0.04
    face = VerticalGradient((big, big), (40, 96, 180), (14, 40, 96)).convert("RGBA")
    mask = Image.new("L", (big, big), 0)
    ImageDraw.Draw(mask).rounded_rectangle([margin, margin, big - margin, big - margin],
                                           radius=big * 0.2, fill=255)
    image.paste(face, (0, 0), mask)
    # Small sizes get a bolder mark with fewer waves so it stays readable.
    arcs = 2 if size <= 16 else 3
    unit = big * (0.11 if size <= 16 else 0.06)
    WaveMark(draw, (big * 0.3, big * 0.7), unit, (130, 230, 70, 255), arcs)
    return image.resize((size, size), Image.LANCZOS)


def main():
    images = os.path.join(RESOURCES, "images")
    icons = os.path.join(RESOURCES, "icons")
    os.makedirs(images, exist_ok=True)
    os.makedirs(icons, exist_ok=True)
    DrawModule().save(os.path.join(images, "module.jpg"), quality=88, optimize=True)
    DrawLogo().save(os.path.join(images, "logo.jpg"), quality=92, optimize=True)
    for size in (16, 32, 48):
        DrawIcon(size).save(os.path.join(icons, f"vesk-{size}.png"), optimize=True)


if __name__ == "__main__":
    main()
