#include "share/sharingcaption.h"

#include "core/formatstring.h"
#include "core/texts.h"

namespace zelvano {

std::string mainWindowCaption(bool sharing, int devices)
{
    std::string caption = texts::windowCaption;
    if (sharing)
        caption += "  " + formatString(texts::shareIndicatorFormat, devices);
    return caption;
}

} // namespace zelvano
