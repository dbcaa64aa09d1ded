#include "startup_page.h"

namespace tarvela {

namespace {

constexpr std::string_view placeholder = "{ONLINE}";

// Probes the public site for at most six seconds, then replaces itself with the public site
// (reached now, or once before) or with the local copy.
constexpr std::string_view page = R"html(<!doctype html>
<html lang="it">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Tarvela Sorvelo</title>
</head>
<body style="margin:0;background:#0b0b0c;color:#9a9a9a;font:15px system-ui,sans-serif;display:grid;place-items:center;height:100vh">
<div>Apro Tarvela Sorvelo&hellip;</div>
<script>
const ONLINE = "{ONLINE}";
let gia = false;
try { gia = localStorage.getItem("online_aperto") === "1"; } catch (e) {}
const prova = new Promise((fine) => {
  const img = new Image();
  img.onload = () => fine(true);
  img.onerror = () => fine(false);
  img.src = ONLINE + "icon-192.png?v=" + Date.now();
});
const tempo = new Promise((fine) => setTimeout(() => fine(false), 6000));
Promise.race([prova, tempo]).then((raggiunto) => {
  if (raggiunto) { try { localStorage.setItem("online_aperto", "1"); } catch (e) {} }
  location.replace(raggiunto || gia ? ONLINE : "/index.html");
});
</script>
</body>
</html>
)html";

// Writes `text` so that, between double quotes in a script element, it reads back unchanged
// and cannot close the string ("\", quote, line breaks) or the element ("</script>", "<!--").
void append_as_script_string(std::string& out, std::string_view text) {
    constexpr char hex[] = "0123456789ABCDEF";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '<' || byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        } else {
            out += c;
        }
    }
}

}  // namespace

const std::string_view startup_page_template = page;

std::string render_startup_page(std::string_view site_url) {
    std::string out;
    out.reserve(page.size() + site_url.size());
    std::size_t from = 0;
    for (std::size_t at; (at = page.find(placeholder, from)) != std::string_view::npos;
         from = at + placeholder.size()) {
        out += page.substr(from, at - from);
        append_as_script_string(out, site_url);
    }
    out += page.substr(from);
    return out;
}

}  // namespace tarvela
