#pragma once

// What the document knows of a view: enough to find it by class name, to rebuild it for a new
// or opened catalogue, and to hand it a command. The views themselves live in the GUI library.
class COvView {
public:
    virtual ~COvView() = default;

    // "CLeftView", "COv2View", "CCommandsView" or "CCategoriesView".
    virtual const char* GetViewClassName() const = 0;
    // Takes the document's catalogue and working copy again and rebuilds what the view shows.
    virtual void OnInitialUpdate() = 0;
    // Handles a routed command; false when the view has no handler for it.
    virtual bool OnViewCommand(int /*nID*/) { return false; }
};
