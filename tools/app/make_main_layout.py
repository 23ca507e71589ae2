#!/usr/bin/python3
"""Writes the main window's stored layout, app/res/MainWindow.layout.

The layout is described here as tables (place, size, captions, colours, events) and written in the
stored-layout text form; the binary blocks come from committed files:

    Image2, Image3        app/art/Image2.png, app/art/Image3.png (tools/app/make_window_art.py)
    arrow buttons         Components/PulseButton/res/Arrow*.png (tools/skins/make_image_buttons.py)

Run with Debian's interpreter after changing any of them:
    /usr/bin/python3 tools/app/make_main_layout.py
The output is committed.
"""
import os

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")

# Link addresses of the two link labels (the maker's site and an image host).
MAKER_URL = "http://veskel.example.org/?veskel=1"
HOSTING_URL = "http://pics.example.net/?veskel=1"


def rgb(r, g, b):
    return r | (g << 8) | (b << 16)


def grey(v):
    return rgb(v, v, v)


def quote(text):
    return "'" + text.replace("'", "''") + "'"


def read(path):
    with open(os.path.join(ROOT, path), "rb") as f:
        return f.read()


def hex_lines(data, indent):
    lines = [indent + data[i:i + 32].hex().upper() for i in range(0, len(data), 32)] or [indent]
    lines[-1] += "}"
    return lines


class Obj:
    def __init__(self, name, cls, props=(), children=()):
        self.name, self.cls, self.props, self.children = name, cls, list(props), list(children)

    def lines(self, depth=0):
        ind = "  " * depth
        out = [f"{ind}object {self.name}: {self.cls}"]
        for key, value in self.props:
            if isinstance(value, bytes):
                out.append(f"{ind}  {key} = {{")
                out += hex_lines(value, ind + "    ")
            elif isinstance(value, list):
                out.append(f"{ind}  {key} = (")
                out += [f"{ind}    {quote(v)}" for v in value]
                out[-1] += ")"
            elif isinstance(value, bool):
                out.append(f"{ind}  {key} = {'True' if value else 'False'}")
            elif isinstance(value, int):
                out.append(f"{ind}  {key} = {value}")
            elif isinstance(value, Ident):
                out.append(f"{ind}  {key} = {value.text}")
            else:
                out.append(f"{ind}  {key} = {quote(value)}")
        for child in self.children:
            out += child.lines(depth + 1)
        out.append(f"{ind}end")
        return out


class Ident:
    def __init__(self, text):
        self.text = text


def place(left, top, width=None, height=None):
    p = [("Left", left), ("Top", top)]
    if width is not None:
        p += [("Width", width), ("Height", height)]
    return p


def font(name, size=None, height=None, color=0, bold=False):
    p = [("Font.Charset", Ident("DEFAULT_CHARSET")), ("Font.Color", color)]
    p += [("Font.Height", -height)] if height else [("Font.Size", size)]
    p += [("Font.Name", name), ("Font.Style", Ident("[fsBold]" if bold else "[]")), ("ParentFont", False)]
    return p


HEADING = font("Tahoma", size=8, color=grey(126))


def label(name, left, top, caption, heading=False, extra=()):
    props = place(left, top) + [("Caption", caption), ("Transparent", True)]
    if heading:
        props += HEADING
    return Obj(name, "TLabel", props + list(extra))


def bevel(name, left, top, width):
    return Obj(name, "TBevel", place(left, top, width, 2) + [("Shape", Ident("bsTopLine"))])


def glass_button(name, left, top, text, handler, default=False):
    props = place(left, top, 91, 25)
    if default:
        props += [("DefaultButton", True), ("Lightness", 30), ("HUE", 0), ("Saturation", 0)]
    else:
        props += [("Lightness", 10), ("HUE", 100), ("Saturation", 200)]
    props += [("ButtonText", text)] + font("Tahoma", size=8, color=grey(20)) + [("OnClick", Ident(handler))]
    return Obj(name, "TGlassButton", props)


def small_button(name, left, top, caption, handler):
    return Obj(name, "TSmallGlassButton", place(left, top, 29, 18) + [("Caption", caption)] +
               font("Courier", height=13, color=rgb(2, 89, 114)) + [("ONClick", Ident(handler))])


# Image file, size, and the description (the button's hint and its image menu entry).
ARROWS = {
    "up": ("ArrowUp.png", 25, 41, "Вверх"), "down": ("ArrowDown.png", 25, 41, "Вниз"),
    "left": ("ArrowLeft.png", 41, 25, "Влево"), "right": ("ArrowRight.png", 41, 25, "Вправо"),
    "upleft": ("ArrowUpLeft.png", 32, 32, "Вверх и влево"), "upright": ("ArrowUpRight.png", 32, 32, "Вверх и вправо"),
    "downleft": ("ArrowDownLeft.png", 32, 32, "Вниз и влево"),
    "downright": ("ArrowDownRight.png", 32, 32, "Вниз и вправо"),
}


def pulse_button(name, left, top, arrow, handler):
    file, w, h, description = ARROWS[arrow]
    png = read("Components/PulseButton/res/" + file)
    return Obj(name, "TPulseButton", place(left, top, w, h) + [
        ("Descriptions.Strings", [description]), ("ItemsCount", 1), ("CurrentItem", 1), ("OnClick", Ident(handler)), ("QORPNGData1", png)])


def edit(name, left, top, width, handler):
    return Obj(name, "TGlassEdit", place(left, top, width, 18) + [("OnChange", Ident(handler))])


def check_box(name, left, top, width, height, caption, handler):
    return Obj(name, "TGlassCheckBox", place(left, top, width, height) + [("Caption", caption),
                                                                          ("OnChange", Ident(handler))])


def colour_box(name, left, top, width, height, handler):
    return Obj(name, "TClrBox", place(left, top, width, height) + [
        ("SingleColor", True), ("OpenAtClick", False), ("OnPreChange", Ident(handler))])


def slider(name, left, top, width, height, maximum, handler):
    return Obj(name, "TGlassSlider", place(left, top, width, height) + [("Max", maximum),
                                                                        ("OnPreChange", Ident(handler))])


def list_in_panel(panel, box, left, top, handler):
    lst = Obj(box, "TGlassListBox", place(1, 1, 169, 108) + [("ItemHeight", 18)] +
              font("Tahoma", height=16, color=grey(100)) + [("OnSelect", Ident(handler))])
    return Obj(panel, "TPanel", place(left, top, 171, 110) + [("BevelOuter", Ident("bvNone")),
                                                             ("Color", grey(205))], [lst])


def page(name, caption, width, index, children):
    props = place(0, 20, 400, 280) + [("Caption", caption), ("Color", grey(232)), ("LeafWidth", width)]
    props += font("MS Sans Serif", size=8)
    if index > 1:
        props.append(("Visible", False))
    props.append(("QORPNGData", bytes([137, 80, 78, 71, 13, 10, 26, 10])))
    background = Obj(f"QorBackground{index}", "TQorBackground", place(0, 0, 400, 280) + [
        ("Align", Ident("alClient")), ("Color1", grey(224)), ("Color2", grey(224)), ("Space", 2),
        ("SpaceWidth", 2)])
    return Obj(name, "TGLeaf", props, [background] + children)


def page1():
    return [
        label("Label1", 8, 12, "Текст:", True),
        edit("GlassEdit1", 8, 28, 389, "GlassEdit1Change"),
        label("Label2", 8, 60, "Позиция:", True),
        pulse_button("PulseButton2", 58, 78, "up", "PulseButton2Click"),
        pulse_button("PulseButton1", 20, 116, "left", "PulseButton1Click"),
        pulse_button("PulseButton4", 79, 116, "right", "PulseButton4Click"),
        pulse_button("PulseButton3", 58, 136, "down", "PulseButton3Click"),
        label("Label7", 144, 88, "Позиция текста X ="),
        edit("GlassEdit2", 250, 84, 80, "GlassEdit2Change"),
        small_button("SmallGlassButton1", 334, 84, "+", "SmallGlassButton1Click"),
        small_button("SmallGlassButton2", 362, 84, "-", "SmallGlassButton2Click"),
        label("Label8", 144, 116, "Позиция текста Y ="),
        edit("GlassEdit3", 250, 112, 80, "GlassEdit3Change"),
        small_button("SmallGlassButton3", 334, 112, "+", "SmallGlassButton3Click"),
        small_button("SmallGlassButton4", 362, 112, "-", "SmallGlassButton4Click"),
        glass_button("GlassButton4", 300, 144, "Reset", "GlassButton4Click"),
        bevel("Bevel1", 8, 188, 383),
        label("Label3", 8, 200, "Фоновый цвет:", True),
        label("Label19", 104, 200, "Нажмите на цвет, чтобы изменить его."),
        label("Label4", 92, 224, "Цвет 1:"),
        colour_box("ClrBox1", 144, 220, 19, 18, "ClrBox1PreChange"),
        glass_button("GlassButton1", 176, 216, "Random", "GlassButton1Click"),
        label("Label5", 92, 260, "Цвет 2:"),
        colour_box("ClrBox2", 144, 255, 19, 18, "ClrBox2PreChange"),
        glass_button("GlassButton2", 176, 252, "Random", "GlassButton2Click"),
        glass_button("GlassButton3", 300, 236, "Swap", "GlassButton3Click"),
        check_box("GlassCheckBox2", 12, 240, 120, 15, "По горизонтали", "GlassCheckBox2Change"),
    ]


def page2():
    return [
        label("Label11", 12, 12, "Образец узора:", True),
        slider("GlassSlider1", 5, 32, 180, 25, 99, "GlassSlider1PreChange"),
        list_in_panel("Panel2", "GlassListBox1", 12, 68, "GlassListBox1Select"),
        label("Label12", 216, 12, "Зеркальный узор:", True),
        slider("GlassSlider2", 209, 32, 180, 29, 99, "GlassSlider2PreChange"),
        list_in_panel("Panel1", "GlassListBox2", 216, 68, "GlassListBox2Select"),
        bevel("Bevel2", 12, 200, 375),
        check_box("GlassCheckBox1", 28, 220, 125, 17, "Добавить рамку:", "GlassCheckBox1Change"),
        colour_box("ClrBox3", 153, 220, 20, 18, "ClrBox3PreChange"),
        check_box("GlassCheckBox3", 28, 248, 180, 15, "Добавить эффект свечения", "GlassCheckBox3Change"),
    ]


def page3():
    return [
        label("Label16", 8, 12, "Оверлей изображения :", True),
        glass_button("GlassButton8", 16, 32, "Choose...", "GlassButton8Click"),
        label("Label17", 164, 24, "Прозрачность:", True),
        slider("GlassSlider4", 160, 40, 213, 25, 200, "GlassSlider4PreChange"),
        check_box("GlassCheckBox4", 16, 72, 160, 15, "Добавить изображение", "GlassCheckBox4Change"),
        bevel("Bevel3", 8, 98, 383),
        label("Label18", 8, 108, "Позиция изображения:", True),
        pulse_button("PulseButton5", 82, 126, "up", "PulseButton5Click"),
        pulse_button("PulseButton6", 44, 164, "left", "PulseButton6Click"),
        pulse_button("PulseButton8", 103, 164, "right", "PulseButton8Click"),
        pulse_button("PulseButton7", 82, 184, "down", "PulseButton7Click"),
        glass_button("GlassButton11", 100, 240, "Reset", "GlassButton11Click"),
        label("Label20", 208, 112, "Размер изображения:", True),
        pulse_button("PulseButton9", 282, 126, "up", "PulseButton9Click"),
        pulse_button("PulseButton10", 244, 164, "left", "PulseButton10Click"),
        pulse_button("PulseButton12", 303, 164, "right", "PulseButton12Click"),
        pulse_button("PulseButton11", 282, 184, "down", "PulseButton11Click"),
        pulse_button("PulseButton15", 250, 132, "upleft", "PulseButton15Click"),
        pulse_button("PulseButton13", 304, 132, "upright", "PulseButton13Click"),
        pulse_button("PulseButton16", 250, 186, "downleft", "PulseButton16Click"),
        pulse_button("PulseButton14", 304, 186, "downright", "PulseButton14Click"),
        glass_button("GlassButton9", 300, 240, "Reset", "GlassButton9Click"),
    ]


def page4():
    return [
        label("Label9", 8, 12, "Проект :", True),
        glass_button("GlassButton5", 32, 36, "New", "GlassButton5Click"),
        label("Label10", 144, 40, "Создать новый проект."),
        glass_button("GlassButton6", 32, 76, "Open...", "GlassButton6Click"),
        label("Label13", 144, 80, "Открыть существующий проект."),
        glass_button("GlassButton7", 32, 116, "Save...", "GlassButton7Click"),
        label("Label14", 144, 120, "Сохранить текущий проект."),
        bevel("Bevel4", 8, 160, 383),
        glass_button("GlassButton10", 32, 180, "Save...", "GlassButton10Click", default=True),
        label("Label15", 144, 188, "Сохранить изображение.", extra=font("MS Sans Serif", size=8, color=0)),
    ]


def aa_label(name, left, top, width, caption, link=False):
    props = place(left, top, width, 14) + [("Caption", caption)]
    if link:
        props.append(("isURL", True))
    props += font("Tahoma", height=10, color=rgb(0, 70, 160) if link else grey(96))
    return Obj(name, "TAALabel", props)


def dialog(name, cls, filt, options):
    return Obj(name, cls, [("Filter", filt), ("Options", Ident("[" + ", ".join(options) + "]"))])


PROJECT_FILTER = "Проект Veskel (*.vzk)|*.vzk"
PICTURE_FILTER = ("All supported images|*.gif;*.bmp;*.png;*.jpg|Portable Network Graphics (*.png)|*.png|"
                  "JPEG Image File (*.jpg)|*.jpg|Gif Image (*.gif)|*.gif|Bitmaps (*.bmp)|*.bmp")
EXPORT_FILTER = ("Portable Network Graphics (*.png)|*.png|JPEG Image File (*.jpg)|*.jpg|Gif Image (*.gif)|*.gif|"
                 "Bitmaps (*.bmp)|*.bmp")


def main_window():
    pages = [
        page("GLeaf1", "Text & Colors", 76, 1, page1()),
        page("GLeaf2", "Effects", 54, 2, page2()),
        page("GLeaf3", "Overlay Image", 94, 3, page3()),
        page("GLeaf4", "Save & Open", 84, 4, page4()),
    ]
    children = [
        Obj("Image2", "TImage", place(0, 0, 462, 480) + [("Picture.Data", read("app/art/Image2.png"))]),
        Obj("GlassHeader1", "TGlassHeader", place(0, 0, 462, 23) + [
            ("Caption", "Brannock Veskel generator v2.2 (free)"), ("ShowClose", True), ("ShowMax", False),
            ("ShowMin", False)]),
        Obj("TestPanel1", "TTestPanel", place(28, 52, 400, 300) + [("Cursor", Ident("crHandPoint")),
                                                                   ("LeafHeight", 20)] +
            font("Tahoma", size=8, color=0), pages),
        label("Label6", 36, 364, "Просмотр:", True),
        Obj("Image3", "TImage", place(28, 384, 400, 48) + [("Picture.Data", read("app/art/Image3.png"))]),
        Obj("Image1", "TImage", place(53, 398, 350, 20)),
        aa_label("AALabel2", 50, 436, 194, "Подробная информация и обновления:"),
        aa_label("AALabel1", 245, 436, 210, MAKER_URL, link=True),
        aa_label("AALabel5", 70, 452, 174, "Бесплатный хостинг изображений:"),
        aa_label("AALabel4", 245, 452, 210, HOSTING_URL, link=True),
        dialog("OpenDialog1", "TOpenDialog", PROJECT_FILTER, ["ofEnableSizing"]),
        dialog("SaveDialog1", "TSaveDialog", PROJECT_FILTER, ["ofOverwritePrompt", "ofHideReadOnly", "ofEnableSizing"]),
        dialog("OpenPictureDialog1", "TOpenPictureDialog", PICTURE_FILTER, ["ofEnableSizing"]),
        dialog("SavePictureDialog1", "TSavePictureDialog", EXPORT_FILTER, ["ofOverwritePrompt", "ofEnableSizing"]),
    ]
    props = [
        ("Left", 0), ("Top", 0), ("BorderStyle", Ident("bsNone")), ("Caption", "Brannock Veskel generator."),
        ("ClientHeight", 480), ("ClientWidth", 462), ("Color", Ident("clBtnFace")),
        ("Constraints.MaxHeight", 480), ("Constraints.MaxWidth", 462), ("Constraints.MinHeight", 480),
        ("Constraints.MinWidth", 462), ("DoubleBuffered", True),
    ] + [p for p in font("MS Sans Serif", size=8) if p[0] != "ParentFont"] + [
        ("Position", Ident("poScreenCenter")), ("OnCreate", Ident("FormCreate")),
        ("OnDestroy", Ident("FormDestroy")),
    ]
    return Obj("Form1", "TForm1", props, children)


def main():
    text = "\n".join(main_window().lines()) + "\n"
    path = os.path.join(ROOT, "app", "res", "MainWindow.layout")
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
    print(path, len(text), "characters")


if __name__ == "__main__":
    main()
