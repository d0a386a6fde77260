// The page frame of a tree property sheet: the area in which the pages lie. It draws an optional
// caption bar at its top (a colour gradient with the page's icon and text) and, when no page is
// shown, a message in its middle. CTreeSheetFrame is what the sheet talks to;
// CTreeSheetFrameWnd is the default frame window.
#pragma once

#include <QColor>
#include <QIcon>
#include <QRect>
#include <QString>
#include <QWidget>

class QPainter;

// Text-drawing flags of the message, with the values the sheet stores.
inline constexpr unsigned DT_CENTER = 0x1;
inline constexpr unsigned DT_VCENTER = 0x4;
inline constexpr unsigned DT_SINGLELINE = 0x20;
inline constexpr unsigned DT_NOPREFIX = 0x800;

class CTreeSheetFrame {
 public:
  CTreeSheetFrame() = default;
  virtual ~CTreeSheetFrame() = default;
  CTreeSheetFrame(const CTreeSheetFrame&) = delete;
  CTreeSheetFrame& operator=(const CTreeSheetFrame&) = delete;

  // Creates the frame window as a child of parent over rect.
  virtual bool Create(const QRect& rect, QWidget* parent, int id) = 0;
  virtual QWidget* GetWnd() = 0;

  virtual void SetCaptionShown(bool shown);
  virtual void SetCaptionHeight(int height);
  virtual void SetCaption(const QString& text, const QIcon& icon = QIcon());
  virtual void SetMsgText(const QString& text);
  virtual void SetMsgFormat(unsigned format);

  virtual void DrawFrame(QPainter& painter);
  virtual QRect GetMsgRect() const;
  virtual void DrawMsgText(QPainter& painter, const QRect& rect, const QString& text);
  virtual QRect GetCaptionRect() const;
  virtual void DrawCaptionBar(QPainter& painter, const QRect& rect, const QString& text,
                              const QIcon& icon);

  bool GetShowCaption() const { return m_bShowCaption; }
  int GetCaptionHeight() const { return m_nCaptionHeight; }
  QString GetCaption() const { return m_strCaption; }
  QIcon GetCaptionIcon() const { return m_hCaptionIcon; }
  QString GetMsgText() const { return m_strMsg; }
  unsigned GetMsgFormat() const { return m_dwMsgFormat; }

 protected:
  // Repaints part of the window when it exists.
  void InvalidatePart(const QRect& part);

  bool m_bShowCaption = false;
  int m_nCaptionHeight = 0;
  QString m_strCaption;
  QIcon m_hCaptionIcon;
  QString m_strMsg;
  unsigned m_dwMsgFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
};

// The colour of column x of a caption gradient from start to end over width pixels: each
// channel start + (end - start) / width * (x - left), truncated. A width of 0 or less has no
// columns: the start colour is returned and the caller draws nothing.
QColor CaptionGradientColour(const QColor& start, const QColor& end, int width, int column);

class CTreeSheetFrameWnd : public QWidget, public CTreeSheetFrame {
  Q_OBJECT

 public:
  explicit CTreeSheetFrameWnd(QWidget* parent = nullptr);
  ~CTreeSheetFrameWnd() override;

  bool Create(const QRect& rect, QWidget* parent, int id) override;
  QWidget* GetWnd() override { return this; }
  void SetCaption(const QString& text, const QIcon& icon = QIcon()) override;
  QRect GetMsgRect() const override;
  QRect GetCaptionRect() const override;
  void DrawCaptionBar(QPainter& painter, const QRect& rect, const QString& text,
                      const QIcon& icon) override;

  int ControlId() const { return m_id; }
  // Size of the caption icon, empty when the caption has none.
  QSize CaptionIconSize() const { return m_iconSize; }
  // Where the caption text starts (left edge of the text), for tests.
  int CaptionTextLeft() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int m_id = 0;
  QPixmap m_iconImage;  // the caption icon, the one image of the frame's image list
  QSize m_iconSize;
};
