#pragma once
// The abstract picture: something that loads from a file or a stream, saves
// to a stream, and draws itself into a rectangle.
#include <QObject>
#include <QRect>
#include <QRgb>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>

class QIODevice;
class QPainter;

namespace nubivu {

class Graphic;

// A picture class reference: creates an empty instance and knows its base class.
struct GraphicClass {
    const char* name;
    const GraphicClass* parent;
    std::unique_ptr<Graphic> (*create)(); // null for abstract classes

    bool inheritsFrom(const GraphicClass& other) const {
        for (const GraphicClass* c = this; c; c = c->parent)
            if (c == &other) return true;
        return false;
    }
};

// How pixels come out where that depends on the display a picture is shown
// on rather than on its file.
struct DecodeOptions {
    // A display of 256 colours or fewer: JPEG pictures decode to 8 bits with a palette.
    bool lowColour = false;
};

// How a picture that reports its loading (one read by plug-ins) tells its
// progress; the handler may raise EAbort to ask the decoder to stop.
enum class ProgressStage { Starting, Running, Ending };

using ProgressHandler = std::function<void(Graphic* sender, ProgressStage stage, quint8 percentDone,
                                           bool redrawNow, const QRect& r, const QString& msg)>;

class Graphic : public QObject {
    Q_OBJECT
public:
    Graphic() = default;
    ~Graphic() override = default;

    static const GraphicClass& staticClass();
    virtual const GraphicClass& classType() const = 0;

    // Opens the file (EFOpenError when it cannot) and reads it through loadStream.
    virtual void loadFile(const QString& fileName);
    virtual void loadStream(QIODevice& stream) = 0;
    virtual void saveStream(QIODevice& stream) const = 0;
    virtual void drawInto(QPainter& painter, const QRect& rect) = 0;
    // Readies drawing into a rectangle of this size (a picture scaled to
    // it), so that the paint itself costs little more than a copy. May run
    // on another thread while nothing else uses the picture.
    virtual void prepareDraw(QSize) {}
    // For the decoding still to come; pixels decoded already stay as they are.
    virtual void setDecodeOptions(const DecodeOptions&) {}
    // Takes over a copy of another picture; raises EInvalidGraphic when it cannot.
    virtual void copyFrom(const Graphic& source);

    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual bool empty() const = 0;
    // The colour table the picture came with; empty when it has none.
    virtual QVector<QRgb> palette() const { return {}; }

Q_SIGNALS:
    // The contents changed: loaded, copied or replaced.
    void changed();
};

// Declares staticClass/classType for a concrete class Name derived from Base.
#define NUBIVU_GRAPHIC(Name)                                                                       \
public:                                                                                            \
    static const ::nubivu::GraphicClass& staticClass();                                            \
    const ::nubivu::GraphicClass& classType() const override { return staticClass(); }

#define NUBIVU_GRAPHIC_DEFINE(Name, Base)                                                          \
    const ::nubivu::GraphicClass& Name::staticClass() {                                            \
        static const ::nubivu::GraphicClass cls{                                                   \
            #Name, &Base::staticClass(),                                                           \
            []() -> std::unique_ptr<::nubivu::Graphic> { return std::make_unique<Name>(); }};      \
        return cls;                                                                                \
    }

} // namespace nubivu
