// One full paint of the target panel holding 1,000 entries:
// - as the main window shows it (272 x 132, the buttons sharing the height): with 1,000
//   entries only the last button gets pixels, and the paint must not cost per entry;
// - with every one of the 1,000 buttons drawn (16 pixels each, 272 x 16,000), painted by the
//   toolkit into a bitmap: frames and texts of all buttons.

#include "BenchTiming.h"

#include "Application.h"
#include "Bitmap.h"
#include "Form.h"
#include "ItemsPanel.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {
constexpr int Entries = 1000;

void Fill(TItemsPanel& panel) {
    for (int i = 0; i < Entries; ++i)
        panel.Items().Add("D:\\Projects\\Client " + std::to_string(i) + "\\Deliverables" +
                          (i % 3 ? "" : "=Client " + std::to_string(i)));
}

void Dress(TItemsPanel& panel) {
    panel.SetColor(cl3DLight);
    panel.Font().SetName("Arial");
    panel.Font().SetSize(9);
    panel.Font().SetColor(clMaroon);
}
} // namespace

int main() {
    TApplication application;
    TOwnedComponent<TForm> form(new TForm(&application));
    form->SetClientSize(272, 132);
    form->SetBounds(100, 100, form->Width(), form->Height());

    auto* shown = new TItemsPanel(form.get());
    shown->SetParent(form.get());
    shown->SetAlign(alClient);
    Dress(*shown);
    Fill(*shown);
    shown->SetAutoSize(true);
    form->Show();
    application.ProcessMessages();

    std::vector<double> windowPaints;
    for (int round = 0; round < 50; ++round) {
        double start = NowMs();
        RedrawWindow(shown->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        windowPaints.push_back(NowMs() - start);
    }

    auto* all = new TItemsPanel(form.get());
    all->SetParent(form.get());
    all->SetVisible(false);
    Dress(*all);
    Fill(*all);
    all->SetItemHeight(16);
    all->SetBounds(0, 0, 272, Entries * 16);
    all->HandleNeeded();
    TBitmap picture(272, Entries * 16);
    std::vector<double> fullPaints;
    for (int round = 0; round < 20; ++round) {
        double start = NowMs();
        all->PaintTo(picture.MemoryDC(), 0, 0);
        GdiFlush();
        fullPaints.push_back(NowMs() - start);
    }

    std::printf("one full paint of the target panel with %d entries:\n", Entries);
    std::printf(
        "  as in the main window (272 x 132):   %7.3f ms median  %7.3f ms min  (window paint, %d rounds)\n",
        Median(windowPaints), Minimum(windowPaints), static_cast<int>(windowPaints.size()));
    std::printf("  every button drawn (272 x %d):    %7.3f ms median  %7.3f ms min  (%.1f us a button)\n",
                Entries * 16, Median(fullPaints), Minimum(fullPaints), Median(fullPaints) * 1000.0 / Entries);
    return 0;
}
