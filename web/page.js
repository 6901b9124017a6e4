// Vendrola's page: starts the program with Qt's loader, says how loading
// goes and, in plain Bulgarian, why the program cannot run where it cannot;
// keeps the window's accessible twin, which the program describes; and keeps
// the page's files for use without a network.
"use strict";

window.vendrolaPage = (() => {
  const kStalledMs = 30000;
  const stage = document.getElementById("stage");
  const canvas = document.getElementById("screen");
  const status = document.getElementById("status");
  const statusText = document.getElementById("status-text");
  const reasons = {
    wasm: "Vendrola не може да работи в този браузър: той не поддържа WebAssembly. " +
          "Отворете страницата в нова версия на Chrome, Edge, Firefox или Safari.",
    webgl: "Vendrola не може да работи в този браузър: в него е изключена или липсва " +
           "графиката WebGL. Включете хардуерното ускорение в настройките на браузъра " +
           "или опитайте друг браузър.",
    files: "Файловете на Vendrola не успяха да се заредят. Проверете връзката с " +
           "интернет и презаредете страницата.",
    stopped: "Vendrola спря неочаквано. Презаредете страницата, за да започнете отначало.",
  };
  let loader, stalled, fault = null, running = false;

  function say(text) {
    statusText.textContent = text;
    clearTimeout(stalled);
    if (!running && fault === null)
      stalled = setTimeout(() => say("Зареждането продължава по-дълго от обичайното. " +
                                     "Ако нищо не се промени, презаредете страницата."), kStalledMs);
  }

  // Shows, where the window would be, why the program does not run.
  function fail(reason) {
    if (fault !== null)
      return;
    fault = reasons[reason] || reason;
    running = false;
    clearTimeout(stalled);
    canvas.hidden = true;
    document.getElementById("twin").replaceChildren();
    status.hidden = false;
    status.classList.add("failed");
    statusText.textContent = fault;
    stage.setAttribute("aria-busy", "false");
  }

  function start() {
    say("Изтегляне на програмата…");
    stage.setAttribute("aria-busy", "true");
    loader = QtLoader({
      canvasElements: [canvas],
      showLoader: (state) => say(state === "Downloading" ? "Изтегляне на програмата…"
                                                         : "Подготовка на програмата…"),
      showError: (text) => fail(/WebAssembly is not supported/.test(text) ? "wasm"
                                : /WebGL is not supported/.test(text) ? "webgl" : "files"),
      showExit: () => fail("stopped"),
      showCanvas: () => {
        running = true;
        clearTimeout(stalled);
        status.hidden = true;
        canvas.hidden = false;
        stage.setAttribute("aria-busy", "false");
      },
    });
    loader.loadEmscriptenModule("vendrola");
  }

  window.addEventListener("error", () => fail("stopped"));
  window.addEventListener("unhandledrejection", () => fail("stopped"));
  if ("serviceWorker" in navigator)
    navigator.serviceWorker.register("sw.js").catch(() => {});

  return {
    start, fail,
    // A run-time error of the program, in its own words.
    showFault: (message) => fail(message),
    module: () => loader && loader.module(),
    canvas,
  };
})();

// The accessible twin: one element for each control and item the program
// describes, with its ARIA role, name, description and states, placed where
// the control is. The program calls sync() after every change it hears of.
window.vendrolaTwin = (() => {
  const root = document.getElementById("twin");
  const canvas = vendrolaPage.canvas;
  let focusedId = "";

  function set(element, name, value) {
    if (value === null || value === false || value === "") {
      if (element.hasAttribute(name))
        element.removeAttribute(name);
    } else if (element.getAttribute(name) !== String(value)) {
      element.setAttribute(name, value === true ? "true" : value);
    }
  }

  function place(element, node, parent) {
    const left = node.left - (parent ? parent.left : 0);
    const top = node.top - (parent ? parent.top : 0);
    const style = `left:${left}px;top:${top}px;width:${node.width}px;height:${node.height}px`;
    if (element.getAttribute("style") !== style)
      element.setAttribute("style", style);
  }

  function focusTwin() {
    const element = focusedId && document.getElementById(focusedId);
    if (element && document.activeElement !== element)
      element.focus({ preventScroll: true });
  }

  function sync(title, nodes, focused) {
    if (!root.firstChild) // the window has just shown: its first frame follows
      requestAnimationFrame(() => requestAnimationFrame(() => performance.mark("vendrola-painted")));
    if (document.title !== title)
      document.title = title;
    set(root, "aria-label", title);
    const byId = new Map(nodes.map((node) => [node.id, node]));
    const last = new Map(); // each parent's last placed child
    for (const node of nodes) {
      let element = document.getElementById(node.id);
      if (!element) {
        element = document.createElement("div");
        element.id = node.id;
      }
      const parent = node.parent ? document.getElementById(node.parent) : root;
      const previous = last.get(parent) || null;
      // Moved only when out of place: moving the focused element would
      // lose the focus.
      if (element.parentNode !== parent || element.previousElementSibling !== previous)
        parent.insertBefore(element, previous ? previous.nextElementSibling : parent.firstElementChild);
      last.set(parent, element);
      set(element, "role", node.role);
      set(element, "aria-roledescription", node.roleDescription || "");
      set(element, "tabindex", node.focusable ? "-1" : "");
      set(element, "aria-disabled", node.disabled);
      set(element, "aria-description", node.description);
      if (node.role === "option")
        set(element, "aria-selected", node.selected ? "true" : "false");
      if (node.role === "textbox") {
        set(element, "aria-multiline", true);
        set(element, "aria-readonly", node.readOnly);
      }
      // Plain text and text boxes show their words; the others are named.
      const text = node.role === "" ? node.name : node.role === "textbox" ? node.value : "";
      set(element, "aria-label", node.role === "" ? "" : node.name);
      if (node.role === "" || node.role === "textbox") {
        if (element.textContent !== text)
          element.textContent = text;
      } else if (node.role !== "listbox" && element.firstChild) {
        element.replaceChildren();
      }
      place(element, node, byId.get(node.parent));
    }
    for (const element of [...root.querySelectorAll("div[id]")])
      if (!byId.has(element.id))
        element.remove();
    focusedId = focused;
    focusTwin();
  }

  // Keys pressed on an element go on to the window, as if pressed on the
  // canvas; what the window takes the browser does not take too.
  for (const type of ["keydown", "keyup"]) {
    root.addEventListener(type, (event) => {
      const forwarded = new KeyboardEvent(event.type, event);
      canvas.dispatchEvent(forwarded);
      if (forwarded.defaultPrevented)
        event.preventDefault();
    });
  }
  // A screen reader's "activate" on a button presses it.
  root.addEventListener("click", (event) => {
    const module = vendrolaPage.module();
    if (module && event.target.id && event.target.getAttribute("role") === "button")
      module.vendrolaTwinPress(event.target.id);
  });
  // A click on the window focuses the canvas; the focus goes back to the
  // control's element once the window has handled the click.
  canvas.addEventListener("focus", () => setTimeout(focusTwin, 0));

  return { sync };
})();
