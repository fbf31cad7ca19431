#include "export/html_page.h"

namespace ov2::exporting {

// No address outside the page is ever loaded: the content policy allows only the page's own
// style and script.
const char* const kHtmlPageBefore = R"OV2(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; style-src 'unsafe-inline'; script-src 'unsafe-inline'">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="color-scheme" content="light dark">
<title>Ov2 catalogue</title>
<style>
:root { --bg: #ffffff; --fg: #1d1d1f; --muted: #6e6e73; --line: #e3e3e8; --hover: #eef3fb; --pick: #cfe0fa; --head: #f5f5f7; }
@media (prefers-color-scheme: dark) {
  :root { --bg: #1e1f22; --fg: #e8e8ea; --muted: #a0a0a8; --line: #34363b; --hover: #2a2e36; --pick: #2f4a73; --head: #26282c; }
}
* { box-sizing: border-box; }
html, body { height: 100%; margin: 0; }
body { background: var(--bg); color: var(--fg); font: 14px system-ui, sans-serif; display: flex; flex-direction: column; }
header { display: flex; gap: 12px; align-items: center; padding: 8px 12px; border-bottom: 1px solid var(--line); background: var(--head); }
header h1 { font-size: 16px; margin: 0; font-weight: 600; }
#search { flex: 1; max-width: 480px; padding: 6px 10px; font: inherit; color: var(--fg); background: var(--bg); border: 1px solid var(--line); border-radius: 6px; }
#count { color: var(--muted); }
main { flex: 1; display: flex; min-height: 0; }
#tree { width: 300px; overflow: auto; border-right: 1px solid var(--line); padding: 4px 0; }
.node { padding: 2px 8px; white-space: nowrap; cursor: pointer; overflow: hidden; text-overflow: ellipsis; }
.node:hover { background: var(--hover); }
.node.picked { background: var(--pick); }
.twisty { display: inline-block; width: 14px; color: var(--muted); }
.lent { color: var(--muted); font-style: italic; }
#right { flex: 1; display: flex; flex-direction: column; min-width: 0; }
.row { position: absolute; left: 0; right: 0; height: 24px; display: grid; grid-template-columns: minmax(0, 3fr) 90px minmax(0, 3fr) minmax(0, 2fr); gap: 10px; padding: 0 10px; align-items: center; border-bottom: 1px solid var(--line); white-space: nowrap; }
.row span { overflow: hidden; text-overflow: ellipsis; }
.row .size { text-align: right; }
#columns { position: relative; height: 26px; font-weight: 600; background: var(--head); overflow: hidden; scrollbar-gutter: stable; }
#list { flex: 1; overflow: auto; position: relative; scrollbar-gutter: stable; }
#spacer { position: relative; }
.muted { color: var(--muted); }
</style>
</head>
<body>
<header><h1 id="title">Ov2 catalogue</h1><input id="search" type="search" placeholder="Search names: several words, all must match" autocomplete="off"><span id="count"></span></header>
<main><nav id="tree"></nav><section id="right"><div id="columns" class="row"><span>Name</span><span class="size">Size</span><span>Folder</span><span>Disc</span></div><div id="list"><div id="spacer"></div></div></section></main>
<script type="application/json" id="ov2-data">)OV2";

const char* const kHtmlPageAfter = R"OV2(</script>
<script>
"use strict";
(function () {
  const data = JSON.parse(document.getElementById("ov2-data").textContent);
  const discs = data.discs;
  // Every file in flat columns: which disc, which folder of it, its size and name.
  let total = 0;
  const parts = discs.map(d => d.files ? d.files.split("\n") : []);
  for (const p of parts) total += p.length;
  const fileDisc = new Int32Array(total), fileFolder = new Int32Array(total), fileSize = new Float64Array(total);
  const fileName = new Array(total);
  const discStart = new Int32Array(discs.length + 1);
  let at = 0;
  parts.forEach((lines, d) => {
    discStart[d] = at;
    for (const line of lines) {
      const a = line.indexOf("\t"), b = line.indexOf("\t", a + 1);
      fileDisc[at] = d;
      fileFolder[at] = parseInt(line.substring(0, a), 36);
      const size = line.substring(a + 1, b);
      fileSize[at] = size === "" ? -1 : parseInt(size, 36);
      fileName[at] = line.substring(b + 1);
      ++at;
    }
  });
  discStart[discs.length] = at;
  let lowerNames = null;

  const units = ["bytes", "KB", "MB", "GB", "TB"];
  function readableSize(bytes) {
    if (bytes < 0) return "";
    if (bytes < 1024) return bytes + (bytes === 1 ? " byte" : " bytes");
    let value = bytes, unit = 0;
    while (value >= 1024 && unit < units.length - 1) { value /= 1024; ++unit; }
    return value.toLocaleString(undefined, { maximumFractionDigits: value < 10 ? 1 : 0 }) + " " + units[unit];
  }
  function discLabel(d) { return discs[d].number + " " + discs[d].name; }

  const el = id => document.getElementById(id);
  const title = data.catalogue ? data.catalogue : "Ov2 catalogue";
  el("title").textContent = title;
  document.title = title;

  // The rows shown: indexes into the flat columns. Only the rows in view exist as elements.
  let shown = new Int32Array(0);
  const list = el("list"), spacer = el("spacer"), rowHeight = 24, pool = [];
  function draw() {
    spacer.style.height = (shown.length * rowHeight) + "px";
    const first = Math.floor(list.scrollTop / rowHeight);
    const count = Math.ceil(list.clientHeight / rowHeight) + 2;
    while (pool.length < count) {
      const row = document.createElement("div");
      row.className = "row";
      for (const cls of ["name", "size", "folder muted", "disc muted"]) {
        const span = document.createElement("span");
        span.className = cls;
        row.appendChild(span);
      }
      spacer.appendChild(row);
      pool.push(row);
    }
    pool.forEach((row, i) => {
      const index = first + i;
      if (index >= shown.length) { row.style.display = "none"; return; }
      const f = shown[index], d = fileDisc[f];
      row.style.display = "";
      row.style.top = (index * rowHeight) + "px";
      const cells = row.children;
      cells[0].textContent = fileName[f];
      cells[1].textContent = readableSize(fileSize[f]);
      cells[2].textContent = discs[d].folders[fileFolder[f]] || "";
      cells[3].textContent = discLabel(d);
      cells[0].title = cells[0].textContent;
      cells[2].title = cells[2].textContent;
    });
  }
  list.addEventListener("scroll", draw);
  window.addEventListener("resize", draw);
  function show(rows, label) {
    shown = rows;
    list.scrollTop = 0;
    el("count").textContent = rows.length.toLocaleString() + (rows.length === 1 ? " file" : " files") + (label ? " " + label : "");
    draw();
  }

  // Searching: case-blind substrings of the name, every word must be in it.
  const search = el("search");
  function runSearch() {
    const words = search.value.toLowerCase().split(/\s+/).filter(w => w);
    if (!words.length) { pickDisc(tree.firstChild); return; }
    const started = performance.now();
    if (!lowerNames) lowerNames = fileName.map(n => n.toLowerCase());
    const hits = [];
    outer: for (let f = 0; f < total; ++f) {
      const name = lowerNames[f];
      for (const w of words) if (name.indexOf(w) < 0) continue outer;
      hits.push(f);
    }
    setPicked(null);
    show(Int32Array.from(hits), "found");
    document.body.dataset.searchMs = Math.round(performance.now() - started);
  }
  let timer = 0;
  search.addEventListener("input", () => { clearTimeout(timer); timer = setTimeout(runSearch, 120); });

  // The tree: discs, and their folders made from the files' folder paths, built when opened.
  let picked = null;
  function setPicked(node) {
    if (picked) picked.classList.remove("picked");
    picked = node;
    if (node) node.classList.add("picked");
  }
  function filesBelow(d, prefix) {
    const rows = [];
    const folders = discs[d].folders;
    for (let f = discStart[d]; f < discStart[d + 1]; ++f)
      if (prefix === null || folders[fileFolder[f]].toLowerCase().startsWith(prefix)) rows.push(f);
    return Int32Array.from(rows);
  }
  function pickDisc(node) {
    setPicked(node);
    const all = new Int32Array(total);
    for (let i = 0; i < total; ++i) all[i] = i;
    show(all, "on all discs");
  }
  function folderTree(d) {
    const root = { children: new Map() };
    for (const path of discs[d].folders) {
      const names = path.split(/[\\/]/).filter(n => n);
      if (names.length && /^[A-Za-z]:$/.test(names[0])) names.shift();
      let node = root, sofar = path.match(/^[A-Za-z]:[\\/]?/) ? path.match(/^[A-Za-z]:[\\/]?/)[0] : "";
      for (const name of names) {
        sofar += name + (path.includes("/") && !path.includes("\\") ? "/" : "\\");
        if (!node.children.has(name)) node.children.set(name, { path: sofar, children: new Map() });
        node = node.children.get(name);
      }
    }
    return root;
  }
  function addNode(parent, depth, label, onPick, children, extraClass) {
    const node = document.createElement("div");
    node.className = "node" + (extraClass ? " " + extraClass : "");
    node.style.paddingLeft = (8 + depth * 14) + "px";
    const twisty = document.createElement("span");
    twisty.className = "twisty";
    twisty.textContent = children ? "\u25B8" : "";
    node.appendChild(twisty);
    node.appendChild(document.createTextNode(label));
    node.title = label;
    parent.appendChild(node);
    let box = null;
    node.addEventListener("click", event => {
      if (children && (event.target === twisty || picked === node)) {
        if (!box) {
          box = document.createElement("div");
          node.after(box);
          for (const child of children()) addNode(box, depth + 1, child.label, child.pick, child.children);
        } else {
          box.hidden = !box.hidden;
        }
        twisty.textContent = box.hidden ? "\u25B8" : "\u25BE";
      }
      search.value = "";
      onPick(node);
    });
  }
  function folderChildren(d, folder) {
    return Array.from(folder.children.entries()).map(([name, child]) => ({
      label: name,
      pick: node => { setPicked(node); show(filesBelow(d, child.path.toLowerCase()), "in " + child.path); },
      children: child.children.size ? () => folderChildren(d, child) : null,
    }));
  }
  const tree = el("tree");
  addNode(tree, 0, "All discs", node => pickDisc(node), null);
  discs.forEach((disc, d) => {
    const away = disc.location && disc.location !== "home";
    const label = discLabel(d) + (disc.artist ? " \u2014 " + disc.artist : "") + (away ? " (lent to " + disc.location + ")" : "");
    addNode(tree, 0, label, node => { setPicked(node); show(filesBelow(d, null), "on disc " + disc.number); },
            disc.folders.length ? () => folderChildren(d, folderTree(d)) : null, away ? "lent" : "");
  });
  pickDisc(tree.firstChild);
  // An address ending in #q=words opens the page with that search, so a search can be sent as a link.
  function searchFromAddress() {
    const words = new URLSearchParams(location.hash.slice(1)).get("q");
    if (words !== null) { search.value = words; runSearch(); }
  }
  window.addEventListener("hashchange", searchFromAddress);
  searchFromAddress();
  document.body.dataset.readyMs = Math.round(performance.now());
})();
</script>
</body>
</html>
)OV2";

}  // namespace ov2::exporting
