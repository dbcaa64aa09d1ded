"""The Sorvelo gym (Palestra Tarvela): weights room, machines, course hall, entrance."""
from equipment import (bench, ball_shelf, battle_rope, cable_tower, dumbbell, dumbbell_rack, kettlebell, leg_press,
                       mat, medicine_ball, plate_loaded_press, plate_stack, plate_tree, plyo_box, power_rack,
                       rolled_mat, selector_machine, step)
from exteriors import entrance
from interiors import BLUE, RED, gym_room, shoot, side_sign, wall_sign, wood_floor
from scene import box, place

KB_COLOURS = ((30, 30, 33), RED, BLUE, (30, 30, 33), (110, 112, 118), RED, BLUE, (30, 30, 33))


def sala_pesi(w, h):
    shell, light = gym_room("sorvelo", -5, 5, -1, 17, 3.6, right=dict(mirrors=((2.0, 15.5, 0.3, 2.3),)),
                            lights_x=(-2.5, 2.5), lights_z=(3, 8, 13), panels_x=(-2.5, 0, 2.5),
                            panels_z=(3, 6, 9, 12, 15))
    p = []
    p += place(power_rack(), -3.4, 6.0, -90)
    p += place(power_rack(accent=BLUE), -3.4, 9.5, -90)
    p += place(bench(), -1.6, 6.0, 90)
    p += place(bench(incline=35), -1.5, 9.5, 90)
    p += place(dumbbell_rack(length=3.0), 4.45, 5.0, 90)
    p += place(dumbbell_rack(length=3.0, start=0.6, step=0.05), 4.45, 8.3, 90)
    p += place(plate_loaded_press(), 1.5, 13.5, 0)
    p += place(leg_press(), -1.8, 14.0, 15)
    p += place(selector_machine("pulldown"), 3.6, 13.0, 60)
    p += place(plate_tree(), -0.4, 11.2, 30)
    p += place(bench(), 1.6, 3.4, 80)
    p += dumbbell(1.2, 0.1, 3.0, 0.5, axis="z") + dumbbell(2.0, 0.1, 3.1, 0.5, axis="z")
    p.append(wall_sign([("PALESTRA TARVELA", 0.14), ("SORVELO", 0.07)], -3.2, 3.2, 3.2, 16.99))
    return shoot(w, h, shell, light, p, (0.6, 1.55, -0.5), 4, -4, 64, 11)


def macchinari(w, h):
    shell, light = gym_room("sorvelo", -4, 4, -1, 12, 3.4, left=dict(mirrors=((1.0, 11.5, 0.3, 2.3),)),
                            lights_x=(-1.8, 1.8), lights_z=(2.5, 6.5, 10.5))
    p = []
    p += place(plate_loaded_press(), -2.3, 3.6, -90)
    p += place(leg_press(), -2.0, 6.6, -90)
    p += place(plate_loaded_press(accent=BLUE), -2.3, 9.6, -90)
    p += place(plate_tree(), -0.6, 5.1, 0)
    p += place(leg_press(accent=BLUE), 2.3, 8.5, 90)
    p += place(plate_stack(("black", "red", "blue", "black")), 0.6, 3.0)
    p.append(wall_sign([("SALA PESI", 0.16)], -2.0, 2.0, 3.0, 11.99, badge_size=0.0))
    return shoot(w, h, shell, light, p, (2.2, 1.5, -0.6), -22, -8, 60, 12)


def area_corsi(w, h):
    shell, light = gym_room("sorvelo", -4, 4, -1, 8, 3.4, back=dict(mirrors=((-3.8, 3.8, 0.3, 2.3),)),
                            back_plain=True, lights_x=(-1.5, 1.5), lights_z=(1.5, 5.0), floor=wood_floor())
    p = []
    for i in range(8):
        p += place(kettlebell(0.15 + 0.1 * i, KB_COLOURS[i]), -2.1 + i * 0.55, 2.8)
    p += place(ball_shelf(6), 0.0, 5.4)
    for i, colour in enumerate(((190, 30, 40), (30, 60, 150), (30, 30, 34))):
        p += place(medicine_ball(0.15, colour), -1.2 + i * 0.45, 1.7)
    for i in range(5):
        p += place(rolled_mat(BLUE if i % 2 else RED), 3.2, 1.5 + i * 0.25, 90)
    p += place(mat(BLUE), -2.8, 4.0, 90) + place(mat(RED), -2.8, 4.7, 90)
    return shoot(w, h, shell, light, p, (0.2, 1.15, -0.6), 0, -15, 58, 13)


def sala(w, h):
    shell, light = gym_room("sorvelo", -3.5, 3.5, -1, 10, 3.4, back=dict(mirrors=((-3.2, -2.3, 0.3, 2.3),)),
                            lights_x=(-1.5, 1.5), lights_z=(2.0, 5.5, 8.5))
    p = []
    p += place(cable_tower(), -1.7, 7.5, 0) + place(cable_tower(), 1.7, 7.5, 0)
    p.append(box((0, 2.36, 7.2), (3.9, 0.12, 0.12), (19, 19, 21)))
    p += place(bench(), 0.0, 4.8, 0)
    p += place(bench(incline=40), -1.6, 3.2, 25)
    p += place(bench(), 1.7, 2.6, -15)
    p += dumbbell(0.5, 0.1, 4.0, 0.4, axis="z") + dumbbell(-0.5, 0.1, 4.1, 0.4, axis="z")
    p.append(wall_sign([("TRAIN", 0.2), ("HARD", 0.2)], -1.0, 1.0, 3.1, 9.99, badge_size=0.0))
    return shoot(w, h, shell, light, p, (0.3, 1.5, -0.7), 0, -6, 68, 14)


def esterno(w, h):
    return entrance(w, h, "sorvelo", seed=15)


def sala_corsi(w, h):
    shell, light = gym_room("sorvelo", -5, 5, -1, 13, 3.6, floor=wood_floor(),
                            left=dict(mirrors=((0.5, 12.5, 0.25, 2.4),)),
                            right=dict(windows=((1.0, 12.0, 1.0, 2.9),)), back_plain=False,
                            lights_x=(-2.5, 2.5), lights_z=(2.5, 6.5, 10.5), power=1.2)
    p = []
    for row in range(3):
        for col in range(4):
            colour = BLUE if (row + col) % 2 else RED
            p += place(mat(colour), -2.6 + col * 1.5, 4.0 + row * 2.6)
    for i in range(4):
        p += place(step(), -3.9, 2.5 + i * 0.01, 90, 0.13 * i)
    for i in range(6):
        p += place(rolled_mat(BLUE if i % 2 else (30, 30, 34)), 4.3, 3.0 + i * 0.25, 90)
    for i, colour in enumerate(((190, 30, 40), (30, 60, 150))):
        p += place(medicine_ball(0.14, colour), -1.6 + i * 3.0, 5.0)
    p.append(wall_sign([("FUNCTIONAL · CONDITIONING", 0.09), ("CIRCUIT TRAINING · G.A.G.", 0.09)],
                       -3.0, 3.0, 3.2, 12.99, badge_size=1.0))
    return shoot(w, h, shell, light, p, (1.5, 1.65, -0.6), -6, -9, 70, 16)


def palle_mediche(w, h):
    shell, light = gym_room("sorvelo", -4, 4, -1, 7, 3.4, floor=wood_floor(),
                            back=dict(mirrors=((-3.8, 3.8, 0.3, 2.3),)), back_plain=True,
                            lights_x=(-1.5, 1.5), lights_z=(1.5, 4.5))
    p = []
    p += place(ball_shelf(5), -0.9, 5.5)
    p += place(plate_stack(("black", "red", "red", "blue", "blue")), 1.6, 3.6)
    p += place(plate_stack(("black", "black", "grey")), 2.3, 4.3)
    for i in range(5):
        p += place(kettlebell(0.2 + 0.15 * i, KB_COLOURS[i + 1]), -2.0 + i * 0.5, 3.2)
    for i, (colour, r) in enumerate((((190, 30, 40), 0.17), ((30, 60, 150), 0.15), ((30, 30, 34), 0.18))):
        p += place(medicine_ball(r, colour), -0.6 + i * 0.5, 2.0 + 0.2 * (i % 2))
    return shoot(w, h, shell, light, p, (0.0, 1.25, -0.4), 0, -17, 56, 17)


def macchine(w, h):
    shell, light = gym_room("sorvelo", -5, 5, -1, 12, 3.4, right=dict(mirrors=((1.0, 11.0, 0.3, 2.3),)),
                            lights_x=(-2.2, 2.2), lights_z=(2.5, 6.0, 9.5))
    p = []
    kinds = ("press", "leg", "pulldown", "press")
    for i, kind in enumerate(kinds):
        p += place(selector_machine(kind, shroud=BLUE if i % 2 else RED), -3.0 + i * 2.0, 6.5)
    p += place(selector_machine("leg", shroud=BLUE), -3.2, 3.2, -70)
    p.append(wall_sign([("PALESTRA TARVELA", 0.12)], -2.4, 2.4, 3.15, 11.99))
    return shoot(w, h, shell, light, p, (0.8, 1.55, -0.8), 6, -7, 62, 18)


def manubri(w, h):
    shell, light = gym_room("sorvelo", -4, 4, -1, 6, 3.4, back=dict(mirrors=((-3.8, 3.8, 0.3, 2.3),)),
                            back_plain=True, lights_x=(-1.5, 1.5), lights_z=(1.5, 4.0))
    p = []
    p += place(dumbbell_rack(length=3.2, start=0.1, step=0.045), -1.5, 5.2, 0)
    p += place(dumbbell_rack(length=3.2, start=0.6, step=0.03), 1.9, 5.2, 0)
    p += dumbbell(-0.6, 0.1, 3.8, 0.5, yaw=30) + dumbbell(-0.2, 0.1, 3.6, 0.5, yaw=10)
    p += place(bench(), 1.6, 2.9, 75)
    return shoot(w, h, shell, light, p, (-1.6, 1.35, 1.4), 18, -16, 58, 19)


def panche(w, h):
    shell, light = gym_room("sorvelo", -5, 5, -1, 10, 3.4, back=dict(mirrors=((-4.8, 4.8, 0.3, 2.3),)),
                            back_plain=True, lights_x=(-2.0, 2.0), lights_z=(2.5, 6.5))
    p = []
    for i in range(4):
        x = -3.3 + i * 2.2
        p += place(bench(incline=0 if i % 2 else 30, pad=(17, 17, 19)), x, 5.2, 180)
        p += dumbbell(x - 0.45, 0.1, 4.7, 0.3 + 0.15 * i, axis="z")
        p += dumbbell(x + 0.45, 0.1, 4.75, 0.3 + 0.15 * i, axis="z")
    p += place(dumbbell_rack(length=4.0, start=0.2, step=0.05), 0.0, 8.6, 0)
    return shoot(w, h, shell, light, p, (0.9, 1.6, 0.0), -4, -12, 62, 20)


def rack(w, h):
    shell, light = gym_room("sorvelo", -5, 5, -1, 12, 3.6, left=dict(mirrors=()),
                            lights_x=(-2.2, 2.2), lights_z=(2.5, 6.0, 9.5))
    p = []
    p += place(power_rack(), -2.2, 8.4, 0)
    p += place(power_rack(accent=BLUE), 0.6, 8.4, 0)
    p += place(plyo_box((0.75, 0.6, 0.5)), 3.0, 6.0, 20) + place(plyo_box((0.6, 0.45, 0.5)), 3.2, 6.0, 20, 0.6)
    p += place(plyo_box((0.75, 0.5, 0.6)), 3.9, 4.8, -10)
    p += place(battle_rope(), -3.8, 2.0, 10)
    for i, colour in enumerate(((190, 30, 40), (30, 60, 150), (30, 30, 34))):
        p += place(medicine_ball(0.17, colour), 1.8 + i * 0.45, 3.6)
    p += place(plate_tree(), -4.0, 6.2, 90)
    p.append(side_sign([("ZONA RACK", 0.13), ("FUNCTIONAL", 0.09)], 3.0, 8.0, 2.9, -4.99, badge_size=0.0))
    return shoot(w, h, shell, light, p, (0.8, 1.7, -0.7), -8, -10, 66, 21)


SUBJECTS = {
    "sorvelo-area-corsi": (area_corsi, (1800, 1200)),
    "sorvelo-esterno": (esterno, (1200, 1800)),
    "sorvelo-macchinari": (macchinari, (1800, 1200)),
    "sorvelo-macchine": (macchine, (1800, 1200)),
    "sorvelo-manubri": (manubri, (1800, 1350)),
    "sorvelo-palle-mediche": (palle_mediche, (1800, 1200)),
    "sorvelo-panche": (panche, (1800, 1200)),
    "sorvelo-rack": (rack, (1800, 1350)),
    "sorvelo-sala-corsi": (sala_corsi, (2000, 1333)),
    "sorvelo-sala-pesi": (sala_pesi, (2000, 1333)),
    "sorvelo-sala": (sala, (1200, 1800)),
}
