// What the engine asks of a file list: the files of a run, selection as progress display, updates.
#pragma once

#include "engine/command_types.h"

#include <vector>

namespace camlog::engine {

// Implemented by the file list model. Called on the host thread only. The list owns its file
// objects; the engine keeps a reference to those of its run until the run ends.
class EngineList {
public:
    virtual ~EngineList() = default;

    // The active entry's object, or null when there is none.
    virtual AviFilePtr ActiveFile() const = 0;
    // Every entry, in list order.
    virtual std::vector<AviFilePtr> Files() const = 0;
    // The selected entries, in list order.
    virtual std::vector<AviFilePtr> SelectedFiles() const = 0;
    // Selects or deselects the entry holding the object; nothing when no entry holds it.
    virtual void SetSelected(const core::TaviFichier *fichier, bool selected) = 0;
    // Enables or disables the user's changes to the list (the selection) during a run.
    virtual void SetEnabled(bool enabled) = 0;

    // Inserts at the sorted place; an entry with the same key takes the new object in place.
    virtual void AddFile(AviFilePtr fichier, bool select) = 0;
    // Removes the entry holding the object; nothing when no entry holds it.
    virtual void RemoveFile(const core::TaviFichier *fichier) = 0;
    // Puts the new object into the entry that holds the old one, without re-sorting; false when
    // no entry holds the old one.
    virtual bool SwapFile(const core::TaviFichier *old, AviFilePtr fichier) = 0;
    // Removes the old object's entry and adds the new object at its sorted place, selected (it
    // becomes the active entry when none is). old may be the new object itself (a renamed file).
    virtual void ReplaceFile(const core::TaviFichier *old, AviFilePtr fichier) = 0;

    // Refreshes the active entry (udEach), or the active entry and the counts (udFinal).
    virtual void RefreshActive() = 0;
    virtual void RefreshActiveAndCounts() = 0;
};

} // namespace camlog::engine
