// Glass: the faces of materials that let through more light than they stop
// are left out, as the program draws no transparency and an opaque pane
// would hide what lies behind a window. Entry point: leaveOutGlass().
#include "import.h"

#include <algorithm>

GlassReport leaveOutGlass(SourceModel& model, const ImportSettings& settings)
{
    GlassReport report;
    std::vector<bool> glass(model.materials.size(), false), seen(model.materials.size(), false);
    for (std::size_t i = 0; i < model.materials.size(); ++i)
        glass[i] = model.materials[i].opacity < GlassOpacity;
    for (const ModelTriangle& triangle : model.triangles) {
        const std::size_t m = std::size_t(triangle.material);
        if (!glass[m])
            continue;
        ++report.faces;
        if (!seen[m]) {
            seen[m] = true;
            ++report.materials;
            const std::string name = model.materials[m].name.empty() ? "(no name)" : model.materials[m].name;
            if (std::find(report.names.begin(), report.names.end(), name) == report.names.end())
                report.names.push_back(name);
        }
    }
    // A model all of glass (a vase, a bottle) is better seen opaque than not at all.
    report.everyFace = report.faces > 0 && report.faces == model.triangles.size();
    if (report.faces == 0 || settings.keepGlass || report.everyFace)
        return report;
    model.triangles.erase(std::remove_if(model.triangles.begin(), model.triangles.end(),
                                         [&](const ModelTriangle& t) { return glass[std::size_t(t.material)]; }),
                          model.triangles.end());
    report.leftOut = true;
    return report;
}
