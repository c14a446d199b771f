#pragma once
// The abstract picture: something that loads from a file or a stream, saves
// to a stream, and draws itself into a rectangle.
#include <QRect>
#include <QRgb>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>

class QIODevice;
class QPainter;

namespace nubivu {

class TGraphic;

// A picture class reference: creates an empty instance and knows its base class.
struct TGraphicClass {
    const char* name;
    const TGraphicClass* parent;
    std::unique_ptr<TGraphic> (*create)(); // null for abstract classes

    bool InheritsFrom(const TGraphicClass& other) const {
        for (const TGraphicClass* c = this; c; c = c->parent)
            if (c == &other) return true;
        return false;
    }
};

enum class TProgressStage { psStarting, psRunning, psEnding };

using TProgressEvent =
    std::function<void(TGraphic* sender, TProgressStage stage, quint8 percentDone, bool redrawNow,
                       const QRect& r, const QString& msg)>;

class TGraphic {
public:
    TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;
    virtual ~TGraphic() = default;

    static const TGraphicClass& StaticClass();
    virtual const TGraphicClass& ClassType() const = 0;

    // Opens the file (EFOpenError when it cannot) and reads it through LoadStream.
    virtual void LoadFile(const QString& fileName);
    virtual void LoadStream(QIODevice& stream) = 0;
    virtual void SaveStream(QIODevice& stream) const = 0;
    virtual void DrawInto(QPainter& painter, const QRect& rect) = 0;
    // Readies drawing into a rectangle of this size (a picture scaled to
    // it), so that the paint itself costs little more than a copy. May run
    // on another thread while nothing else uses the picture.
    virtual void PrepareDraw(QSize) {}
    // Takes over a copy of another picture; raises EInvalidGraphic when it cannot.
    virtual void CopyFrom(const TGraphic& source);

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const = 0;
    // The colour table the picture came with; empty when it has none.
    virtual QVector<QRgb> Palette() const { return {}; }

    void SetOnChange(std::function<void(TGraphic*)> handler) { onChange_ = std::move(handler); }
    void SetOnProgress(TProgressEvent handler) { onProgress_ = std::move(handler); }
    const TProgressEvent& OnProgress() const { return onProgress_; }

protected:
    void Changed();
    void Progress(TGraphic* sender, TProgressStage stage, quint8 percentDone, bool redrawNow,
                  const QRect& r, const QString& msg);

private:
    std::function<void(TGraphic*)> onChange_;
    TProgressEvent onProgress_;
};

// Declares StaticClass/ClassType for a concrete class Name derived from Base.
#define NUBIVU_GRAPHIC(Name)                                                                       \
public:                                                                                            \
    static const ::nubivu::TGraphicClass& StaticClass();                                           \
    const ::nubivu::TGraphicClass& ClassType() const override { return StaticClass(); }

#define NUBIVU_GRAPHIC_DEFINE(Name, Base)                                                          \
    const ::nubivu::TGraphicClass& Name::StaticClass() {                                           \
        static const ::nubivu::TGraphicClass cls{                                                  \
            #Name, &Base::StaticClass(),                                                           \
            []() -> std::unique_ptr<::nubivu::TGraphic> { return std::make_unique<Name>(); }};     \
        return cls;                                                                                \
    }

} // namespace nubivu
