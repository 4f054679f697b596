#include "qt/slides/pdfpcslides.h"

namespace zelvano {

std::vector<std::int64_t> slidesOfPages(const std::vector<std::string>& labels, std::int64_t slides)
{
    std::vector<std::int64_t> slideOf;
    slideOf.reserve(labels.size());
    std::int64_t slide = -1;
    for (std::size_t page = 0; page < labels.size(); ++page) {
        if (page == 0 || labels[page] != labels[page - 1])
            ++slide;
        slideOf.push_back(slide);
    }
    if (slide + 1 != slides || slides == static_cast<std::int64_t>(labels.size()))
        return {};
    return slideOf;
}

std::int64_t slideOfPage(const std::vector<std::int64_t>& slides, std::int64_t page)
{
    const auto known = static_cast<std::int64_t>(slides.size());
    if (page < 0 || slides.empty())
        return page;
    return page < known ? slides[static_cast<std::size_t>(page)] : slides.back() + page - known + 1;
}

} // namespace zelvano
