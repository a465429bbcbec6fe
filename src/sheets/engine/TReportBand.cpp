#include "TReportBand.h"

#include "TReport.h"
#include "TReportImage.h"
#include "TReportLabel.h"
#include "TReportMemo.h"
#include "TReportShape.h"
#include "platform/Sjis.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace dorimek::report {
namespace {

std::unique_ptr<TReportElement> makeElement(const ElementRow& s, const TReportBand& band) {
    const QString name = QString::fromUtf8(s.name);
    std::unique_ptr<TReportElement> e;
    switch (s.kind) {
        case ElementKind::Label:
        case ElementKind::Memo: {
            std::unique_ptr<TReportTextElement> text;
            if (s.kind == ElementKind::Label) {
                auto label = std::make_unique<TReportLabel>(name);
                if (s.caption) label->setCaptionText(QString::fromUtf8(s.caption));
                text = std::move(label);
            } else {
                auto memo = std::make_unique<TReportMemo>(name);
                if (s.caption) memo->Lines.add(platform::fromUnicode(QString::fromUtf8(s.caption)));
                text = std::move(memo);
            }
            text->Alignment = (s.settings & kCenter) ? taCenter : taLeftJustify;
            text->AutoSize = (s.settings & kAutoSize) != 0;
            text->AutoStretch = (s.settings & kAutoStretch) != 0;
            text->WordWrap = (s.settings & kWordWrap) != 0;
            if (s.fontPt > 0) {
                TReportFont font = band.effectiveFont();
                font.Size = s.fontPt;
                text->Font = font;
            }
            e = std::move(text);
            break;
        }
        case ElementKind::HorLine:
        case ElementKind::VertLine: {
            auto shape = std::make_unique<TReportShape>(
                name, s.kind == ElementKind::HorLine ? shHorLine : shVertLine);
            shape->PenStyle = (s.settings & kDotted) ? psDot : psSolid;
            e = std::move(shape);
            break;
        }
        case ElementKind::Image: {
            auto image = std::make_unique<TReportImage>(name);
            image->Stretch = (s.settings & kStretch) != 0;
            image->Center = (s.settings & kCenterPicture) != 0;
            e = std::move(image);
            break;
        }
    }
    e->setGeometryMm(s.left, s.top, s.width, s.height);
    return e;
}

template <class T>
T* typed(TReportElement* e, const ElementRow& s) {
    auto* t = dynamic_cast<T*>(e);
    if (!t) {
        // A layout table that contradicts the code reading it is a programming
        // error that must not reach a clinic's printer.
        std::fprintf(stderr, "layout row %s: wrong element kind\n", s.name);
        std::abort();
    }
    return t;
}

}  // namespace

TReportBand::TReportBand(QString name, TBandType type, TReport* report)
    : BandType(type), name_(std::move(name)), report_(report) {}

TReportBand::~TReportBand() = default;

TReportElement* TReportBand::add(const ElementRow& spec) {
    auto e = makeElement(spec, *this);
    e->band_ = this;
    elements_.push_back(std::move(e));
    return elements_.back().get();
}

TReportLabel* TReportBand::addLabel(const ElementRow& spec) {
    return typed<TReportLabel>(add(spec), spec);
}
TReportMemo* TReportBand::addMemo(const ElementRow& spec) {
    return typed<TReportMemo>(add(spec), spec);
}
TReportShape* TReportBand::addShape(const ElementRow& spec) {
    return typed<TReportShape>(add(spec), spec);
}
TReportImage* TReportBand::addImage(const ElementRow& spec) {
    return typed<TReportImage>(add(spec), spec);
}

void TReportBand::addAll(std::span<const ElementRow> table) {
    for (const ElementRow& s : table) add(s);
}

void TReportBand::addAll(std::initializer_list<ElementRow> table) {
    addAll(std::span<const ElementRow>(table.begin(), table.size()));
}

bool TReportBand::remove(const QString& name) {
    auto it = std::find_if(elements_.begin(), elements_.end(),
                           [&](const auto& e) { return e->name() == name; });
    if (it == elements_.end()) return false;
    elements_.erase(it);
    return true;
}

TReportElement* TReportBand::element(const QString& name) const {
    for (const auto& e : elements_) {
        if (e->name() == name) return e.get();
    }
    return nullptr;
}

TReportFont TReportBand::effectiveFont() const {
    if (Font) return *Font;
    return report_ ? report_->Font : TReportFont{};
}

double TReportBand::width() const { return report_ ? report_->Page.bandWidth() : 0; }

}  // namespace dorimek::report
