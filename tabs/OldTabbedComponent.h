// A tabbed container drawn as one shape: the selected tab and the page frame share a single
// rounded outline, and the other tabs slide under it. Built from plain components.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class OldTabbedComponentBasicTab;
class TabHolderComponent;
class TabEdgeDrawComponent;

//==============================================================================
/**
    A component with a scrollable strip of named tabs along one edge and a framed page in the
    rest of its area.

    The class is abstract: a subclass implements tabWasClicked(), which is called after every
    selection and is the place to swap the page with setContentComponent().

    Ownership: the tabs added with addTab() belong to the widget. The page passed to
    setContentComponent() is not owned while other pages may replace it: setContentComponent()
    hands the previous page back. Only the page shown when the widget is destroyed is deleted
    with it.
*/
class OldTabbedComponent : public juce::Component
{
public:
    /** The edge along which the tab strip runs. */
    enum TabOrientation
    {
        tabsOnTop = 0,
        tabsOnBottom = 1,
        tabsOnLeft = 2,
        tabsOnRight = 3
    };

    //==============================================================================
    /** Creates an empty tabbed component with its strip along the top. */
    explicit OldTabbedComponent(const juce::String& widgetName);

    /** Destructor. Deletes the tabs and the page shown at this moment (unless that page was
        already deleted), but no page that was swapped out earlier.
    */
    ~OldTabbedComponent() override;

    //==============================================================================
    /** Places the strip along an edge and sets its depth and the page's gaps.

        The strip is tabDepth pixels deep plus the rounded corner size. The page is inset
        from the frame by twice contentGapX on the left and right and twice contentGapY at the
        top and bottom. Does nothing when all four values equal the current ones. A turn
        between a horizontal and a vertical strip keeps each tab's length along the strip.
    */
    void setTabOrientation(TabOrientation newOrientation, int tabDepth, int contentGapX,
                           int contentGapY);

    /** True for tabsOnLeft and tabsOnRight. */
    static bool isVerticalStrip(TabOrientation strip) noexcept;

    /** Returns the edge the strip runs along. */
    TabOrientation getTabOrientation() const noexcept { return orientation; }

    /** Returns the strip's depth, without the rounded corner size. */
    int getTabDepth() const noexcept { return tabDepth; }

    /** Sets the five colours of the widget and repaints; does nothing when none changes.

        @param fill                 the page frame and the selected tab
        @param text                 the tab names
        @param selectedOutline      the outline of the frame and the selected tab
        @param normalOutline        the outline of the other tabs
        @param deselectedTab        the fill of the other tabs
    */
    void setColours(const juce::Colour& fill, const juce::Colour& text,
                    const juce::Colour& selectedOutline, const juce::Colour& normalOutline,
                    const juce::Colour& deselectedTab);

    juce::Colour getFillColour() const noexcept { return fillColour; }
    juce::Colour getTextColour() const noexcept { return textColour; }
    juce::Colour getSelectedOutlineColour() const noexcept { return selectedOutlineColour; }
    juce::Colour getNormalOutlineColour() const noexcept { return normalOutlineColour; }
    juce::Colour getDeselectedTabColour() const noexcept { return deselectedTabColour; }

    /** Sets how many pixels each tab overlaps the one before it.

        The tabs move at their next placement: the next change of the tab set, selection or
        scroll position.
    */
    void setOverlap(int newOverlap) noexcept { overlap = newOverlap; }

    /** Returns the overlap between neighbouring tabs. */
    int getOverlap() const noexcept { return overlap; }

    /** Sets the gaps before and after the strip (left and right on a horizontal strip, top
        and bottom on a vertical one), and lays out again.
    */
    void setTabInsets(int insetAtStart, int insetAtEnd);

    /** Sets the corner radius of every outline, the outline width of the deselected tabs
        (and of the frame while no tab is selected) and the outline width of the frame while a
        tab is selected. Does nothing when all three equal the current ones.
    */
    void setOutlineStyle(float cornerSize, float normalOutlineThickness,
                         float selectedOutlineThickness);

    float getCornerSize() const noexcept { return cornerSize; }
    float getNormalOutlineThickness() const noexcept { return normalOutlineThickness; }
    float getSelectedOutlineThickness() const noexcept { return selectedOutlineThickness; }

    //==============================================================================
    /** Returns the number of tabs. */
    int getNumTabs() const;

    /** Returns the tab at an index, or nullptr when there is none. */
    OldTabbedComponentBasicTab* getTabComponent(int tabIndex) const;

    /** Returns a tab's index, or -1 when the tab is not one of this widget's. */
    int getTabIndex(const OldTabbedComponentBasicTab* tab) const;

    /** Adds a tab, which then belongs to the widget.

        The tab is inserted at tabIndex (a negative index or one past the end appends). The
        current selection index is not adjusted.
    */
    void addTab(int tabIndex, OldTabbedComponentBasicTab* newTab);

    /** Deletes the tab at an index; does nothing when there is none.
        The selection index stays as it was and then names whichever tab has that index.
    */
    void removeTab(int tabIndex);

    /** Deletes all tabs. The selection index stays as it was. */
    void clearTabs();

    /** Places the tabs, updates the scroll range to their run, lays out and repaints.
        Called after every change of the tab set or the selection.
    */
    void tabsChanged();

    //==============================================================================
    /** Selects a tab, or none with an index that has no tab.

        A new selection brings the tab to the front and lays out. In every case, also when
        the index is already selected, tabWasClicked() is called afterwards.
    */
    void setCurrentlySelectedTab(int tabIndex);

    /** Returns the selected index; -1 or an index without a tab means none. */
    int getCurrentTabIndex() const noexcept { return currentTabIndex; }

    /** Called after every selection, by a click or by setCurrentlySelectedTab().

        @param tabIndex         the index that was selected
        @param wasAlreadySelected true when the index was selected already
        @param modifiers        the modifier keys held at that moment
    */
    virtual void tabWasClicked(int tabIndex, bool wasAlreadySelected,
                               const juce::ModifierKeys& modifiers) = 0;

    //==============================================================================
    /** Shows a page in the frame.

        @returns the page shown before, which is no longer a child and is not deleted, or
                 nullptr when there was none or when newContent is already shown (then
                 nothing changes)
    */
    juce::Component* setContentComponent(juce::Component* newContent);

    /** Returns the page shown, or nullptr. */
    juce::Component* getContentComponent() const noexcept { return contentComponent; }

    /** Returns the page's bounds after the last layout. */
    juce::Rectangle<int> getContentArea() const noexcept { return contentArea; }

    //==============================================================================
    /** The strip that holds the tabs. */
    TabHolderComponent* getTabHolder() const noexcept { return tabHolder; }

    /** The strip's scroll bar, shown only while the tabs do not fit. */
    juce::ScrollBar* getScrollBar() const noexcept { return scrollBar; }

    /** One of the six transparent frame pieces around the page (0 above, 1 below, 2 left,
        3 right, 4 and 5 beside the strip).
    */
    TabEdgeDrawComponent* getEdge(int index) const noexcept;

    /** The frame joined with the selected tab, corners rounded, as of the last layout. */
    const juce::Path& getOutlinePath() const noexcept { return outlinePath; }

    /** The outline of getOutlinePath() as a fillable path. */
    const juce::Path& getOutlineStroke() const noexcept { return outlineStroke; }

    /** Fills the page colour and the selected outline into a child piece (the tab holder or
        an edge piece), shifted into that piece's own coordinates.
    */
    void paintOutlineInto(juce::Graphics& g, const juce::Component& piece) const;

    //==============================================================================
    void paint(juce::Graphics& g) override;
    void resized() override;

private:
    static constexpr int numEdges = 6;

    void configureScrollBar();
    void syncScrollBarToHolder();
    void layOutStrip(juce::Rectangle<int>& pageBox, juce::Rectangle<int>& frameBox);
    void layOutFrame(juce::Rectangle<int> frameBox);
    void rebuildOutline(juce::Rectangle<int> pageBox);

    friend class TabHolderComponent;

    // Declared first: the scroll bar uses it until the destructor deletes the children.
    std::unique_ptr<juce::LookAndFeel> scrollBarLookAndFeel;
    TabOrientation orientation = tabsOnTop;
    int currentTabIndex = -1;
    int tabDepth = 25;
    int overlap = 4;
    int contentGapX = 4;
    int contentGapY = 4;
    int tabInsetStart = 0;
    int tabInsetEnd = 0;
    juce::Colour fillColour = juce::Colours::grey;
    juce::Colour deselectedTabColour = juce::Colours::darkgrey;
    juce::Colour textColour = juce::Colours::black;
    juce::Colour selectedOutlineColour = juce::Colours::white;
    juce::Colour normalOutlineColour = juce::Colours::white;
    // A page deleted by its caller while shown must not be deleted again here.
    juce::Component::SafePointer<juce::Component> contentComponent;
    TabHolderComponent* tabHolder = nullptr;
    juce::Array<OldTabbedComponentBasicTab*> tabs;
    juce::ScrollBar* scrollBar = nullptr;
    juce::Rectangle<int> contentArea;
    TabEdgeDrawComponent* edges[numEdges] = {};
    juce::Path outlinePath;
    juce::Path outlineStroke;
    float cornerSize = 7.0f;
    float normalOutlineThickness = 1.25f;
    float selectedOutlineThickness = 1.25f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OldTabbedComponent)
};
