#!/usr/bin/env python3
"""Writes wiring.svg: the typical connections of the three-phase instrument.

Three drawings on one 600 x 630 sheet: three-phase four-wire, three-phase
three-wire with three current transformers, and three-phase three-wire with
two current transformers. Phase lines A, B, C (and N) are led to the terminal
strip 13..24. Run it again after changing the layout constants.
"""
import os

W, H = 600, 630
FONT = "Noto Sans CJK SC"
COLOURS = {"A": "#C99700", "B": "#1E8449", "C": "#C0392B", "N": "#1F4E99"}
PITCH = 38
FIRST_X = 78                     # centre of terminal 13
NAMES = ["IA*", "IA", "IB*", "IB", "IC*", "IC", "UA", "UB", "UC", "UN", "L", "N"]
LINE_X0, LINE_X1 = 50, 516


def tx(terminal):
    return FIRST_X + (terminal - 13) * PITCH


def text(x, y, s, size=12, anchor="middle", weight="normal", fill="#222"):
    return (f'<text x="{x}" y="{y}" font-family="{FONT}" font-size="{size}" '
            f'font-weight="{weight}" fill="{fill}" text-anchor="{anchor}">{s}</text>')


def panel(oy, title, phases, cts):
    out = [f'<rect x="10" y="{oy}" width="580" height="184" rx="6" fill="none" stroke="#C8C8C8"/>',
           text(22, oy + 20, title, 13, "start", "bold")]
    ys = {p: oy + 44 + i * 19 for i, p in enumerate(phases)}
    # Phase lines from the supply (left) to the load (right).
    for p, y in ys.items():
        c = COLOURS[p]
        out.append(text(34, y + 4, p, 13, "middle", "bold", c))
        out.append(f'<line x1="{LINE_X0}" y1="{y}" x2="{LINE_X1}" y2="{y}" stroke="{c}" stroke-width="2"/>')
        out.append(f'<path d="M{LINE_X1 + 8},{y} l-9,-4 v8 z" fill="{c}"/>')
    mid = (min(ys.values()) + max(ys.values())) / 2
    out.append(text(552, mid + 5, "负载", 13))
    strip_top = oy + 128
    # Current transformers: a ring round the conductor, secondary S1 to the
    # starred terminal, S2 to the next one.
    for p, first in cts:
        y, c = ys[p], COLOURS[p]
        cx = (tx(first) + tx(first + 1)) / 2
        jog = y + 13
        for lead_x, term in ((cx - 4, first), (cx + 4, first + 1)):
            out.append(f'<polyline points="{lead_x},{y + 7} {lead_x},{jog} {tx(term)},{jog} {tx(term)},{strip_top}" '
                       f'fill="none" stroke="{c}" stroke-width="1.3"/>')
        out.append(f'<circle cx="{cx}" cy="{y}" r="8" fill="white" fill-opacity="0.0" stroke="#333" stroke-width="1.6"/>')
        out.append(text(cx - 11, y - 9, "*", 11, "middle", "bold", "#333"))
        out.append(text(cx + 14, y - 8, "CT", 9, "start", "normal", "#555"))
    # Voltage taps, fused on the phases.
    for i, p in enumerate(["A", "B", "C", "N"]):
        if p not in ys:
            continue
        x, y, c = tx(19 + i), ys[p], COLOURS[p]
        out.append(f'<line x1="{x}" y1="{y}" x2="{x}" y2="{strip_top}" stroke="{c}" stroke-width="1.3"/>')
        out.append(f'<circle cx="{x}" cy="{y}" r="3" fill="{c}"/>')
        if p != "N":
            out.append(f'<rect x="{x - 4}" y="{oy + 107}" width="8" height="14" fill="white" stroke="#333"/>')
    # Terminal strip.
    out.append(f'<rect x="{tx(13) - 22}" y="{strip_top - 2}" width="{tx(24) - tx(13) + 44}" height="26" '
               f'rx="3" fill="#EEF1F5" stroke="#556"/>')
    for t in range(13, 25):
        x = tx(t)
        out.append(f'<rect x="{x - 16}" y="{strip_top}" width="32" height="22" fill="white" stroke="#556"/>')
        out.append(text(x, strip_top + 16, str(t), 12, "middle", "bold"))
        out.append(text(x, strip_top + 38, NAMES[t - 13], 10, "middle", "normal", "#444"))
    out.append(f'<path d="M{tx(23) - 14},{strip_top + 44} v4 h{tx(24) - tx(23) + 28} v-4" fill="none" stroke="#777"/>')
    out.append(text((tx(23) + tx(24)) / 2, strip_top + 56, "辅助电源", 10, "middle", "normal", "#444"))
    return out


def main():
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{W}" height="{H}" viewBox="0 0 {W} {H}">',
             f'<rect x="0.5" y="0.5" width="{W - 1}" height="{H - 1}" fill="white" stroke="#B0A890"/>',
             text(W / 2, 27, "KZ5500E 三相电参数测试仪  典型接线", 16, "middle", "bold", "#0B247A")]
    parts += panel(40, "① 三相四线", ["A", "B", "C", "N"], [("A", 13), ("B", 15), ("C", 17)])
    parts += panel(230, "② 三相三线（三个电流互感器）", ["A", "B", "C"], [("A", 13), ("B", 15), ("C", 17)])
    parts += panel(420, "③ 三相三线（两个电流互感器）", ["A", "B", "C"], [("A", 13), ("C", 17)])
    parts.append(text(W / 2, 621, "注：电流互感器 S1 端接带 * 号的端子；电压回路经保险丝接入。", 11, "middle", "normal", "#555"))
    parts.append("</svg>")
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "wiring.svg")
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(parts) + "\n")


if __name__ == "__main__":
    main()
