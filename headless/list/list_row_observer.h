// What a view of the file list follows: rows inserted, removed, changed and reordered, by index,
// told before and after each change as a Qt item model tells its views.
#pragma once

namespace camlog::ui {

// Called on the list's owner thread. Between an "about to" call and its pair the list still
// shows its old rows; after the pair the change is done. first and last are inclusive indexes.
class ListRowObserver {
public:
    virtual ~ListRowObserver() = default;
    virtual void rowsAboutToBeInserted(int first, int last) = 0;
    virtual void rowsInserted(int first, int last) = 0;
    virtual void rowsAboutToBeRemoved(int first, int last) = 0;
    virtual void rowsRemoved(int first, int last) = 0;
    // The rows show something new: another object of the same file, their selected state, or
    // whether they hold the active entry.
    virtual void rowsChanged(int first, int last) = 0;
    // The rows change places (a sort); their count stays the same.
    virtual void rowsAboutToBeReordered() = 0;
    virtual void rowsReordered() = 0;
};

} // namespace camlog::ui
