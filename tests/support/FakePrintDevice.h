#pragma once

#include "plot/PrintDevice.h"
#include "plot/RecordingCanvas.h"

#include <vector>

// Paper that keeps each page's calls and counts what happened to the document.
struct FakePaper
{
    int pagesStarted = 0;
    int pagesEnded = 0;
    int ended = 0;
    int aborted = 0;
    bool destroyed = false;
    // Page starts from this one on (counted from 1) fail; 0: none fails.
    int failingPage = 0;
    // The text extents of every page; empty: the recording canvas's own.
    RecordingCanvas::ExtentRule extentRule;
    std::vector<RecordingCanvas> pages;
    // What is drawn before any page has started.
    RecordingCanvas offPage;
};

// A print device whose pages are recording canvases kept in a FakePaper.
class FakePrintDevice : public PrintDevice
{
public:
    explicit FakePrintDevice(FakePaper &paper, QSize printableMm = {210, 297})
        : m_paper(paper), m_size(printableMm)
    {}
    ~FakePrintDevice() override { m_paper.destroyed = true; }

    QSize printableSize() const override { return m_size; }
    bool startPage() override
    {
        ++m_paper.pagesStarted;
        if (m_paper.failingPage != 0 && m_paper.pagesStarted >= m_paper.failingPage)
            return false;
        RecordingCanvas &page = m_paper.pages.emplace_back();
        if (m_paper.extentRule)
            page.setExtentRule(m_paper.extentRule);
        return true;
    }
    Canvas &canvas() override
    {
        return m_paper.pages.empty() ? m_paper.offPage : m_paper.pages.back();
    }
    void endPage() override { ++m_paper.pagesEnded; }
    void endDocument() override { ++m_paper.ended; }
    void abortDocument() override { ++m_paper.aborted; }

private:
    FakePaper &m_paper;
    QSize m_size;
};
