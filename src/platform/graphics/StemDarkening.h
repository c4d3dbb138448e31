// Small text drawn into pixels (the window, thumbnails, bitmap exports)
// carries the weight its outlines have, as PDF and print show it. The
// toolkit switches on FreeType's stem darkening for CFF-flavoured fonts
// (the OpenType faces we prefer): it thickens the stems of every glyph it
// turns into pixels, by more the smaller the text, so that 7-point text
// looked bold in a PNG and on screen but not in the PDF, whose outlines are
// drawn as the font designs them.
#pragma once

namespace ql {

class StemDarkening {
public:
    // FreeType's own default, no darkening, for the fonts of the calling
    // thread: the toolkit keeps one font library per thread. Cheap after
    // the first call on a thread; to be called before the thread draws text.
    static void switchOffForThisThread();
};

} // namespace ql
