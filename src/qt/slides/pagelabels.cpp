#include "qt/slides/pagelabels.h"

#include <dlfcn.h>
#include <poppler.h>

namespace zelvano {

namespace {

    struct Poppler
    {
        decltype(&poppler_document_new_from_file) openDocument = nullptr;
        decltype(&poppler_document_get_n_pages) pageCount = nullptr;
        decltype(&poppler_document_get_page) page = nullptr;
        decltype(&poppler_page_get_label) label = nullptr;
        decltype(&g_object_unref) unref = nullptr;
        decltype(&g_free) free = nullptr;
        decltype(&g_error_free) freeError = nullptr;
    };

    template <typename Function> bool find(void* library, const char* name, Function& function)
    {
        function = reinterpret_cast<Function>(::dlsym(library, name));
        return function != nullptr;
    }

    // Loaded once and kept: a library that registers GLib types cannot be unloaded. Its GLib
    // functions are found among the libraries it depends on.
    const Poppler* poppler()
    {
        static const std::optional<Poppler> loaded = []() -> std::optional<Poppler> {
            void* library = ::dlopen("libpoppler-glib.so.8", RTLD_NOW | RTLD_LOCAL);
            Poppler functions;
            if (library && find(library, "poppler_document_new_from_file", functions.openDocument)
                && find(library, "poppler_document_get_n_pages", functions.pageCount)
                && find(library, "poppler_document_get_page", functions.page)
                && find(library, "poppler_page_get_label", functions.label)
                && find(library, "g_object_unref", functions.unref)
                && find(library, "g_free", functions.free)
                && find(library, "g_error_free", functions.freeError))
                return functions;
            return std::nullopt;
        }();
        return loaded ? &*loaded : nullptr;
    }

} // namespace

std::optional<std::vector<std::string>> readPageLabels(const std::string& uri)
{
    const Poppler* library = poppler();
    if (!library)
        return std::nullopt;
    GError* error = nullptr;
    PopplerDocument* document = library->openDocument(uri.c_str(), nullptr, &error);
    if (error)
        library->freeError(error);
    if (!document)
        return std::nullopt;
    std::vector<std::string> labels;
    const int pages = library->pageCount(document);
    for (int index = 0; index < pages; ++index) {
        PopplerPage* page = library->page(document, index);
        gchar* label = page ? library->label(page) : nullptr;
        labels.emplace_back(label ? label : "");
        library->free(label);
        if (page)
            library->unref(page);
    }
    library->unref(document);
    return labels;
}

} // namespace zelvano
