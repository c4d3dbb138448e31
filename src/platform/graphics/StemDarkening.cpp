#include "platform/graphics/StemDarkening.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_MODULE_H

// The toolkit's FreeType library of the calling thread. Weak, so that a
// toolkit built without FreeType leaves its text as it draws it.
FT_Library qt_getFreetype() __attribute__((weak));

namespace ql {

void StemDarkening::switchOffForThisThread()
{
    thread_local bool switchedOff = false;
    if (switchedOff)
        return;
    switchedOff = true;
    if (!qt_getFreetype)
        return;
    FT_Library library = qt_getFreetype();
    if (!library)
        return;
    // The drivers that darken: CFF, and Type 1 and CID through the same engine.
    const FT_Bool off = 1;
    for (const char* driver : {"cff", "type1", "t1cid"})
        FT_Property_Set(library, driver, "no-stem-darkening", &off);
}

} // namespace ql
