#include "skin/dialogs/bsShellPrompts.h"

#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/SysUtils.h"
#include "platform/shell/ShellNamespace.h"
#include "skin/dialogs/bsDialogRes.h"
#include "skin/dialogs/bsMessages.h"
#include "skin/menus/bsSkinFrameMenus.h"

namespace skin {

namespace {

String Fs(const std::string& S) { return rtl::FileNameToString(S); }

// The skin of the form that holds Control: its frame's skin and the skin
// its controls are drawn with.
void SkinOf(forms::TWinControl* Control, TbsSkinData*& SD, TbsSkinData*& CtrlSD) {
  SD = CtrlSD = nullptr;
  forms::TCustomForm* F = Control ? forms::GetParentForm(Control) : nullptr;
  if (!F) F = forms::Screen ? forms::Screen->ActiveForm() : nullptr;
  if (!F) return;
  for (int i = 0; i < F->ComponentCount(); ++i)
    if (auto* B = dynamic_cast<TbsBusinessSkinForm*>(F->Components(i))) {
      SD = B->SkinData();
      CtrlSD = B->MenusSkinData();
      return;
    }
}

int Ask(forms::TWinControl* Control, const String& Caption, const String& Text, TMsgDlgType Type,
        TMsgDlgButtons Buttons) {
  TbsSkinData *SD, *CtrlSD;
  SkinOf(Control, SD, CtrlSD);
  std::unique_ptr<TbsSkinMessage, rtl::TComponentFree> M(new TbsSkinMessage(nullptr));
  M->SetSkinData(SD);
  M->SetCtrlSkinData(CtrlSD);
  return M->MessageDlg2(Text, Caption, Type, Buttons, 0);
}

String Thousands(rtl::Int64 N) {
  String digits = rtl::IntToStr64(N), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += u',';
    out += digits[i];
  }
  return out;
}

String SizeText(rtl::Int64 Bytes) {
  static const char16_t* const units[] = {u"KB", u"MB", u"GB", u"TB"};
  String head;
  if (Bytes < 1024) {
    head = rtl::IntToStr64(Bytes) + u" 字节";
    return head;
  }
  double v = double(Bytes);
  int u = -1;
  while (v >= 1024 && u < 3) {
    v /= 1024;
    ++u;
  }
  return rtl::FormatFloat(u"0.##", v) + u" " + units[u] + u"（" + Thousands(Bytes) + u" 字节）";
}

String TimeText(const struct timespec& T) {
  return rtl::FormatDateTime(u"yyyy-mm-dd hh:nn:ss", rtl::UnixToLocalDateTime(T.tv_sec));
}

String ModeText(mode_t M) {
  String s;
  const char16_t rwx[] = u"rwx";
  for (int shift = 6; shift >= 0; shift -= 3)
    for (int b = 0; b < 3; ++b) s += (M >> (shift + 2 - b)) & 1 ? rwx[b] : u'-';
  return s;
}

String TypeText(const std::string& Path, const struct stat& St) {
  if (S_ISDIR(St.st_mode)) return u"文件夹";
  if (!S_ISREG(St.st_mode)) return u"特殊文件";
  const String Name = Fs(Path.substr(Path.rfind('/') + 1));
  const auto dot = Name.rfind(u'.');
  const String Ext = dot == String::npos || dot == 0 ? String() : rtl::AnsiUpperCase(Name.substr(dot + 1));
  String Kind;
  switch (shell::IconKindOfFileName(Name)) {
    case shell::ikVideo: Kind = u"视频文件"; break;
    case shell::ikAudio: Kind = u"音频文件"; break;
    case shell::ikPicture: Kind = u"图片文件"; break;
    default: Kind = u"文件"; break;
  }
  return Ext.empty() ? Kind : Ext + u" " + Kind;
}

}  // namespace

std::vector<TbsPropertyRow> ShellItemProperties(const std::string& Path) {
  std::vector<TbsPropertyRow> rows;
  const auto slash = Path.rfind('/');
  const std::string Name = Path == "/" ? Path : Path.substr(slash + 1);
  const std::string Place = slash == std::string::npos ? std::string() : slash == 0 ? "/" : Path.substr(0, slash);
  struct stat st;
  const bool known = ::stat(Path.c_str(), &st) == 0 || ::lstat(Path.c_str(), &st) == 0;
  rows.push_back({u"名称:", Fs(Name)});
  if (known) rows.push_back({u"类型:", TypeText(Path, st)});
  rows.push_back({u"位置:", Fs(Place)});
  if (!known) {
    rows.push_back({u"状态:", u"无法读取（文件可能已被移走或删除）"});
    return rows;
  }
  struct stat lst;
  if (::lstat(Path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    char buf[4096];
    const ssize_t n = ::readlink(Path.c_str(), buf, sizeof buf - 1);
    if (n > 0) rows.push_back({u"链接到:", Fs(std::string(buf, std::size_t(n)))});
  }
  if (S_ISDIR(st.st_mode)) {
    int files = 0, folders = 0;
    if (DIR* d = ::opendir(Path.c_str())) {
      while (dirent* e = ::readdir(d)) {
        const std::string n = e->d_name;
        if (n == "." || n == "..") continue;
        struct stat es;
        if (::stat((Path + "/" + n).c_str(), &es) == 0 && S_ISDIR(es.st_mode)) ++folders;
        else ++files;
      }
      ::closedir(d);
    }
    rows.push_back({u"包含:", rtl::Format(u"%d 个文件，%d 个文件夹", {files, folders})});
  } else {
    rows.push_back({u"大小:", SizeText(static_cast<rtl::Int64>(st.st_size))});
  }
  rows.push_back({u"修改时间:", TimeText(st.st_mtim)});
  rows.push_back({u"访问时间:", TimeText(st.st_atim)});
  rows.push_back({u"状态改变:", TimeText(st.st_ctim)});
  String owner = rtl::IntToStr(static_cast<int>(st.st_uid)), groupName = rtl::IntToStr(static_cast<int>(st.st_gid));
  if (const passwd* pw = ::getpwuid(st.st_uid)) owner = Fs(pw->pw_name);
  if (const struct group* gr = ::getgrgid(st.st_gid)) groupName = Fs(gr->gr_name);
  rows.push_back({u"权限:", ModeText(st.st_mode) + u"（所有者 " + owner + u"，组 " + groupName + u"）"});
  String access = ::access(Path.c_str(), R_OK) == 0 ? u"可读" : u"不可读";
  access += ::access(Path.c_str(), W_OK) == 0 ? u"，可写" : u"，只读";
  rows.push_back({u"您的权限:", access});
  return rows;
}

TbsShellPropertiesForm::TbsShellPropertiesForm(TComponent* AOwner, const std::vector<TbsPropertyRow>& Rows,
                                               const String& Title, TbsSkinData* ASkinData,
                                               TbsSkinData* ACtrlSkinData)
    : forms::TForm(AOwner) {
  SetBorderStyle(forms::bsDialog);
  SetPosition(forms::poScreenCenter);
  SetKeyPreview(true);
  SetCaption(Title);
  BSF = new TbsBusinessSkinForm(this);
  BSF->SetBorderIcons({});
  BSF->SetSkinData(ASkinData);
  BSF->SetMenusSkinData(ACtrlSkinData);
  std::unique_ptr<gdi::TFont> font(MakeDefaultFont([] {}));
  constexpr int Left = 12, Top = 12, RowH = 22, Gap = 10;
  int captionW = 0, valueW = 0;
  for (std::size_t i = 0; i < Rows.size(); ++i) {
    auto make = [&](const String& Text) {
      auto* L = new TbsSkinStdLabel(this);
      L->Font()->Assign(font.get());
      L->SetDefaultFont(font.get());
      L->SetSkinData(ACtrlSkinData);
      L->SetParent(this);
      L->SetAutoSize(true);
      L->SetCaption(Text);
      L->SetTop(Top + int(i) * RowH);
      return L;
    };
    Captions.push_back(make(Rows[i].Caption));
    Values.push_back(make(Rows[i].Value));
    captionW = std::max(captionW, Captions.back()->Width());
    valueW = std::max(valueW, Values.back()->Width());
  }
  for (std::size_t i = 0; i < Rows.size(); ++i) {
    Captions[i]->SetLeft(Left);
    Values[i]->SetLeft(Left + captionW + Gap);
  }
  const int W = std::max(260, Left + captionW + Gap + valueW + Left);
  const int H = Top + int(Rows.size()) * RowH + 12 + 25 + 12;
  OKButton = new TbsSkinButton(this);
  OKButton->SetParent(this);
  OKButton->SetCanFocused(true);
  OKButton->SetCaption(DialogText(ACtrlSkinData, u"MSG_BTN_OK", u"OK"));
  OKButton->ModalResult = forms::mrOk;
  OKButton->SetDefault(true);
  OKButton->Cancel = true;
  OKButton->SetDefaultHeight(25);
  OKButton->SetSkinData(ACtrlSkinData);
  HandleNeeded();  // the client size is measured inside the skinned frame
  SetClientSize(W, H);
  OKButton->SetBounds(W - 12 - 75, H - 12 - 25, 75, 25);
}

void ShowShellProperties(TbsShellFolder* Folder, TbsSkinData* ASkinData, TbsSkinData* ACtrlSkinData) {
  if (!Folder) return;
  const std::string path = Folder->FileSystemPath();
  std::vector<TbsPropertyRow> rows;
  if (path.empty()) rows = {{u"名称:", Folder->DisplayName()}, {u"类型:", u"系统文件夹"}};
  else rows = ShellItemProperties(path);
  std::unique_ptr<TbsShellPropertiesForm, rtl::TComponentFree> F(new TbsShellPropertiesForm(
      forms::Application, rows, Folder->DisplayName() + u" 属性", ASkinData, ACtrlSkinData));
  F->ShowModal();
}

void InstallSkinnedShellPrompts() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  // The list's context menu (and the view menu) open through the menu
  // engine of the dialog's frame.
  InstallSkinFrameMenus();
  TShellPrompts p;
  p.Confirm = [](forms::TWinControl* C, const String& Caption, const String& Text) {
    return Ask(C, Caption, Text, mtConfirmation, {mbYes, mbNo}) == forms::mrYes;
  };
  p.ShowError = [](forms::TWinControl* C, const String& Caption, const String& Text) {
    Ask(C, Caption, Text, mtError, {mbOK});
  };
  p.ShowProperties = [](forms::TWinControl* C, TbsShellFolder* F) {
    TbsSkinData *SD, *CtrlSD;
    SkinOf(C, SD, CtrlSD);
    ShowShellProperties(F, SD, CtrlSD);
  };
  SetShellPrompts(p);
}

}  // namespace skin
