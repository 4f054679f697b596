#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelvano {

// The slide of each page of a pdfpc presentation, both counted from 0, from the pages' labels and
// pdfpc's own count of slides. pdfpc takes a run of pages with one label for one slide and its
// overlays, as LaTeX's slide classes label them; told otherwise (every page a slide, notes pages,
// overlays marked by hand) it groups differently, which shows in its count. Empty when the labels
// do not give that count: then every page is taken for a slide, and an overlay step records a lap
// as a key would.
std::vector<std::int64_t> slidesOfPages(
    const std::vector<std::string>& labels, std::int64_t slides);

// The slide of a page by what slidesOfPages gave; pages past its end are slides of their own.
std::int64_t slideOfPage(const std::vector<std::int64_t>& slides, std::int64_t page);

} // namespace zelvano
