#include "gallery/ModernGalleryPage.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "gallery/HtmlText.h"

namespace vexilo {
namespace {

// Rows are justified by the flex trick: each thumbnail grows in proportion to its aspect
// ratio, so a row's thumbnails end up the same height and fill it exactly.
constexpr const char* kStyle = R"(:root{color-scheme:dark;--row:180px}
*{box-sizing:border-box}
body{margin:0;font:15px/1.4 system-ui,sans-serif;background:#111;color:#eee}
h1{font-size:1.25em;font-weight:600;margin:14px 10px 2px;overflow-wrap:anywhere}
.n{margin:0 10px 10px;color:#999}
.g{display:flex;flex-wrap:wrap;gap:4px;padding:0 4px 4px}
.g::after{content:"";flex-grow:1000000}
.t{display:block;flex-grow:calc(var(--r)*100);flex-basis:calc(var(--r)*var(--row));background:#222;color:#ccc}
.t picture,.t img{display:block;width:100%;height:auto}
.t span{display:flex;align-items:center;justify-content:center;height:var(--row);padding:8px;overflow-wrap:anywhere;text-align:center}
.t:focus-visible{outline:3px solid #6af;outline-offset:-3px}
@media (max-width:600px){:root{--row:110px}.g{gap:2px;padding:0 2px 2px}}
body.lb-on{overflow:hidden}
.lb{position:fixed;inset:0;z-index:9;display:flex;align-items:center;justify-content:center;background:rgba(0,0,0,.96);touch-action:pan-y pinch-zoom}
.lb[hidden]{display:none}
.lb-i{max-width:100vw;max-height:calc(100vh - 6em);object-fit:contain}
.lb button{position:absolute;background:none;border:0;color:#fff;font:40px/1 system-ui,sans-serif;padding:10px 16px;cursor:pointer;opacity:.75}
.lb button:hover,.lb button:focus-visible{opacity:1}
.lb-x{top:0;right:0}.lb-p{left:0;top:calc(50% - 1em)}.lb-n{right:0;top:calc(50% - 1em)}
.lb-c{position:absolute;left:0;right:0;bottom:0;padding:8px 12px;background:rgba(0,0,0,.7);font-size:14px;overflow-wrap:anywhere}
.lb-c b{margin-right:.8em}.lb-c span{color:#aaa;margin-right:.8em;white-space:nowrap}
.lb-c a{color:#8cf;margin-right:.8em}
)";

// Reads the links' data attributes and builds its elements with textContent only, so no
// name or address is ever parsed as markup.
constexpr const char* kScript = R"((function(){
var ts=[].slice.call(document.querySelectorAll('a.t')),n=ts.length,cur=-1,lb,im,cap,x0=null,y0=0;
if(!n)return;
function el(t,c,p){var e=document.createElement(t);if(c)e.className=c;if(p)p.appendChild(e);return e}
function btn(c,t,l,f){var b=el('button',c,lb);b.type='button';b.textContent=t;b.setAttribute('aria-label',l);b.onclick=function(e){e.stopPropagation();f()};return b}
function build(){
lb=el('div','lb',document.body);lb.setAttribute('role','dialog');lb.setAttribute('aria-modal','true');
im=el('img','lb-i',lb);cap=el('div','lb-c',lb);
btn('lb-x','\u00d7','Close',shut);btn('lb-p','\u2039','Previous',function(){step(-1)});btn('lb-n','\u203a','Next',function(){step(1)});
lb.addEventListener('click',function(e){if(e.target===lb)shut()});
lb.addEventListener('touchstart',function(e){if(e.touches.length>1){x0=null;return}var t=e.changedTouches[0];x0=t.clientX;y0=t.clientY},{passive:true});
lb.addEventListener('touchend',function(e){if(x0===null)return;var t=e.changedTouches[0],dx=t.clientX-x0,dy=t.clientY-y0;x0=null;if(Math.abs(dx)>40&&Math.abs(dx)>Math.abs(dy))step(dx<0?1:-1)});
}
function link(label,u){if(!u)return;var l=el('div','',cap);el('span','',l).textContent=label;var a=el('a','',l);a.href=u;a.rel='noreferrer';a.textContent=decodeSafe(u)}
function decodeSafe(u){try{return decodeURI(u)}catch(e){return u}}
function show(i){
if(!lb)build();
cur=(i+n)%n;var a=ts[cur],d=a.dataset;
im.src=a.getAttribute('href');im.alt=d.name||'';
cap.textContent='';el('b','',cap).textContent=d.name||'';
if(d.w)el('span','',cap).textContent=d.w+' \u00d7 '+d.h+' px';
el('span','',cap).textContent=(cur+1)+' / '+n;
link('from',d.src);link('found on',d.page);
lb.hidden=false;document.body.classList.add('lb-on');
try{history.replaceState(null,'','#'+a.id)}catch(e){}
[1,-1].forEach(function(k){new Image().src=ts[(cur+k+n)%n].getAttribute('href')});
lb.querySelector('.lb-x').focus();
}
function step(k){show(cur+k)}
function shut(){if(!lb||lb.hidden)return;lb.hidden=true;im.removeAttribute('src');document.body.classList.remove('lb-on');
try{history.replaceState(null,'',location.pathname+location.search)}catch(e){}
ts[cur].focus()}
ts.forEach(function(a,i){a.addEventListener('click',function(e){if(e.button||e.ctrlKey||e.metaKey||e.shiftKey||e.altKey)return;e.preventDefault();show(i)})});
document.addEventListener('keydown',function(e){if(!lb||lb.hidden)return;
if(e.key==='ArrowRight'){step(1);e.preventDefault()}else if(e.key==='ArrowLeft'){step(-1);e.preventDefault()}
else if(e.key==='Escape'){shut();e.preventDefault()}});
var m=/^#p(\d+)$/.exec(location.hash);if(m&&+m[1]<n)show(+m[1]);
})();
)";

std::string Attribute(std::string_view text) { return HtmlEscaped(PageText(text)); }

std::string Ratio(const ThumbSize& size) {
  char text[32];
  const double ratio = size.Height > 0 ? static_cast<double>(size.Width) / size.Height : 1.0;
  std::snprintf(text, sizeof text, "%.4g", std::clamp(ratio, 0.01, 100.0));
  return text;
}

void AppendEntry(std::string& page, const ModernGalleryEntry& entry, int i) {
  const std::string index = std::to_string(i);
  const std::string name = Attribute(entry.FileName);
  page += "<a class=\"t\" id=\"p" + index + "\" href=\"" + kModernPictureFolder + "/" +
          AddressSegment(entry.FileName) +
          "\" style=\"--r:" + Ratio(entry.Thumb.Height > 0 ? entry.Thumb : ThumbSize{1, 1}) +
          "\" data-name=\"" + name + "\"";
  if (entry.Width > 0 && entry.Height > 0) {
    page += " data-w=\"" + std::to_string(entry.Width) + "\" data-h=\"" +
            std::to_string(entry.Height) + "\"";
  }
  if (const std::string href = WebAddressHref(entry.Address); !href.empty()) {
    page += " data-src=\"" + href + "\"";
  }
  if (const std::string href = WebAddressHref(entry.Page); !href.empty()) {
    page += " data-page=\"" + href + "\"";
  }
  page += ">";
  if (entry.Thumb.Width > 0 && entry.Thumb.Height > 0) {
    const auto srcset = [i](ThumbFormat format) {
      const std::string folder = std::string(kModernThumbFolder) + "/";
      return folder + ModernThumbName(i, 1, format) + " 1x, " + folder +
             ModernThumbName(i, 2, format) + " 2x";
    };
    // A browser without WebP skips the source and takes the JPEGs.
    if (entry.Webp) {
      page += "<picture><source type=\"image/webp\" srcset=\"" + srcset(ThumbFormat::Webp) + "\">";
    }
    page += "<img src=\"" + std::string(kModernThumbFolder) + "/" + ModernThumbName(i, 1) +
            "\" srcset=\"" + srcset(ThumbFormat::Jpeg) + "\" width=\"" +
            std::to_string(entry.Thumb.Width) + "\" height=\"" +
            std::to_string(entry.Thumb.Height) + "\" alt=\"" + name + "\" loading=\"lazy\">";
    if (entry.Webp) page += "</picture>";
  } else {
    // No thumbnail could be made: the name stands in its place, still linked.
    page += "<span>" + name + "</span>";
  }
  page += "</a>\n";
}

}  // namespace

ThumbSize ModernThumbSize(int width, int height, int scale) {
  if (width <= 0 || height <= 0 || scale <= 0) return {};
  const std::int64_t w = width;
  const std::int64_t h = height;
  const auto rounded = [](std::int64_t numerator, std::int64_t denominator) {
    return static_cast<int>(
        std::max<std::int64_t>(1, (2 * numerator + denominator) / (2 * denominator)));
  };
  const int most = kModernThumbMaxWidth * scale;
  ThumbSize size;
  size.Height = std::min(kModernThumbHeight * scale, height);
  size.Width = rounded(w * size.Height, h);
  if (size.Width > most) {
    size.Width = most;
    size.Height = rounded(h * most, w);
  }
  return size;
}

std::string ModernThumbName(int i, int scale, ThumbFormat format) {
  return std::to_string(i) + (scale == 1 ? "" : "-" + std::to_string(scale) + "x") +
         (format == ThumbFormat::Webp ? ".webp" : ".jpg");
}

std::string ModernGalleryPage(const std::string& title,
                              const std::vector<ModernGalleryEntry>& entries) {
  const std::string heading = Attribute(title.empty() ? std::string("Gallery") : title);
  std::string page;
  page.reserve(8192 + entries.size() * 400);
  page +=
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<meta name=\"referrer\" content=\"no-referrer\">\n<title>" +
      heading + "</title>\n<style>\n" + kStyle + "</style>\n</head>\n<body>\n<h1>" + heading +
      "</h1>\n<p class=\"n\">" + std::to_string(entries.size()) +
      (entries.size() == 1 ? " picture" : " pictures") + "</p>\n<main class=\"g\">\n";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    AppendEntry(page, entries[i], static_cast<int>(i));
  }
  page += "</main>\n<script>\n";
  page += kScript;
  page += "</script>\n</body>\n</html>\n";
  return page;
}

}  // namespace vexilo
