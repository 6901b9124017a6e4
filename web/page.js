// Vendrola's page: starts the program with Qt's loader (Qt 6.4's or the
// later one), says how loading goes and, in plain Bulgarian, why the
// program cannot run where it cannot; fits the window to the screen and
// hands it taps as clicks; keeps the window's accessible twin, which the
// program describes; and keeps the page's files for use without a network.
"use strict";

window.vendrolaPage = (() => {
  const kStalledMs = 30000;
  // The integrity digests of the files of the program, written when the
  // page is installed: a file of another build (half uploaded, say) does
  // not load, and the page and the program always come from one build.
  const kProgram = {};
  // The window's size in CSS pixels at its designed scale.
  const kWidth = @VENDROLA_WIDTH@, kHeight = @VENDROLA_HEIGHT@;
  // A tap is a finger that lifts about where it touched down.
  const kTapSlop = 16;
  const stage = document.getElementById("stage");
  // Where the window shows: the page's canvas, which Qt 6.4 draws on, or an
  // element that a later Qt puts its screen in, with the window's own canvas
  // inside a shadow root.
  let screen = document.getElementById("screen");
  const status = document.getElementById("status");
  const statusText = document.getElementById("status-text");
  const serve = "python3 -m http.server --bind 127.0.0.1 8000";
  const reasons = {
    wasm: "Vendrola не може да работи в този браузър: той не поддържа WebAssembly. " +
          "Отворете страницата в нова версия на Chrome, Edge, Firefox или Safari.",
    webgl: "Vendrola не може да работи в този браузър: в него е изключена или липсва " +
           "графиката WebGL. Включете хардуерното ускорение в настройките на браузъра " +
           "или опитайте друг браузър.",
    files: "Файловете на Vendrola не успяха да се заредят. Проверете връзката с " +
           "интернет и презаредете страницата.",
    stopped: "Vendrola спря неочаквано. Презаредете страницата, за да започнете отначало.",
    file: "Vendrola се отваря от уеб адрес, не като файл: браузърът не изпълнява програмата " +
          "от файл. В папката на страницата изпълнете командата по-долу и отворете " +
          "http://127.0.0.1:8000/",
  };
  const coarse = window.matchMedia("(pointer: coarse)");
  let loader, instance, stalled, fault = null, running = false, scale = 1;

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
    screen.hidden = true;
    document.getElementById("twin").replaceChildren();
    document.getElementById("twin-descriptions").replaceChildren();
    stage.prepend(status);
    status.classList.add("failed");
    statusText.textContent = fault;
    if (reason === "file") {
      const command = document.createElement("code");
      command.textContent = serve;
      status.append(command);
    }
    stage.setAttribute("aria-busy", "false");
  }

  // The window fits the layout viewport whole, keeping its proportions:
  // smaller where the screen is smaller than the window, and on a touch
  // screen as large as the screen allows, since at its designed size its
  // buttons are too small for a finger. With a mouse it keeps its designed
  // size where there is room. Pinch-zoom leaves the layout viewport, and so
  // the fit, as it is.
  function fit() {
    const room = Math.min(document.documentElement.clientWidth / kWidth,
                          document.documentElement.clientHeight / kHeight);
    const next = coarse.matches ? room : Math.min(1, room);
    if (!(next > 0) || next === scale)
      return;
    scale = next;
    stage.style.setProperty("--scale", String(scale));
    // In whole CSS pixels, which a window that the toolkit places in the
    // page (later Qt's) covers to the last device pixel.
    stage.style.width = `${Math.floor(kWidth * scale)}px`;
    stage.style.height = `${Math.floor(kHeight * scale)}px`;
    // The program draws for the new size; before it starts, it asks.
    const module = program();
    if (module && module.vendrolaShowAtScale)
      module.vendrolaShowAtScale(scale);
  }

  // The running program, once the loader has it.
  function program() {
    return instance || (loader && loader.module && loader.module()) || null;
  }

  // The canvas the window is drawn on.
  function windowCanvas() {
    const shadow = screen.firstElementChild && screen.firstElementChild.shadowRoot;
    return (shadow && shadow.querySelector("canvas")) || screen;
  }

  // Whether an event's target is the window: the canvas, or any element of
  // the toolkit's in the screen element.
  function inWindow(target) {
    // An element in a shadow root is the window's if its host is.
    for (let node = target; node instanceof Node; node = node.getRootNode().host)
      if (screen.contains(node))
        return true;
    return false;
  }

  // The toolkit takes the mouse's pointer events only; a finger or a pen
  // goes to it as a mouse click where a tap ends, so that a tap is a click
  // at once, while a swipe, a pinch or a double tap stays the browser's
  // (page zoom for those who need it).
  function takeTaps() {
    let tap = null;
    for (const type of ["touchstart", "touchmove", "touchend", "touchcancel"])
      stage.addEventListener(type, (event) => event.stopPropagation(), true);
    for (const type of ["pointerover", "pointerenter", "pointerdown", "pointermove",
                        "pointerup", "pointercancel", "pointerout", "pointerleave"])
      stage.addEventListener(type, (event) => {
        if (event.pointerType !== "mouse")
          event.stopPropagation();
      }, true);
    stage.addEventListener("pointerdown", (event) => {
      if (event.pointerType !== "mouse")
        tap = event.isPrimary && !tap ? { id: event.pointerId, x: event.clientX, y: event.clientY }
                                      : null;
    }, true);
    stage.addEventListener("pointercancel", () => { tap = null; }, true);
    stage.addEventListener("pointerup", (event) => {
      if (!tap || event.pointerId !== tap.id)
        return;
      const moved = Math.hypot(event.clientX - tap.x, event.clientY - tap.y);
      tap = null;
      if (moved > kTapSlop || !running)
        return;
      const canvas = windowCanvas();
      for (const [type, button, buttons] of [["pointermove", -1, 0], ["pointerdown", 0, 1],
                                             ["pointerup", 0, 0]])
        canvas.dispatchEvent(new PointerEvent(type, {
          bubbles: true, cancelable: true, composed: true, pointerId: event.pointerId,
          pointerType: "mouse", isPrimary: true, clientX: event.clientX, clientY: event.clientY,
          screenX: event.screenX, screenY: event.screenY, button, buttons }));
    }, true);
    // The toolkit captures the pointer it is given; a finger that has
    // already lifted cannot be captured, which is no fault.
    for (const method of ["setPointerCapture", "releasePointerCapture"]) {
      const capture = Element.prototype[method];
      Element.prototype[method] = function (id) {
        try {
          capture.call(this, id);
        } catch (error) {
          if (!inWindow(this))
            throw error;
          // the pointer is gone
        }
      };
    }
    // A long press selects nothing and opens no menu over the window.
    stage.addEventListener("contextmenu", (event) => event.preventDefault());
  }

  // The window is up: the loading status has done its work and leaves the
  // page, and so what a screen reader finds.
  function shown() {
    running = true;
    clearTimeout(stalled);
    status.remove();
    screen.hidden = false;
    stage.setAttribute("aria-busy", "false");
    // Kept for use without a network only now, once the window's first
    // frame is on the screen, so that the first visit downloads the
    // program once and its first paint waits for nothing. Each visit asks
    // whether the site has a newer build, which the next visit then shows.
    if ("serviceWorker" in navigator)
      requestAnimationFrame(() => requestAnimationFrame(() => setTimeout(() =>
        navigator.serviceWorker.register("sw.js")
          .then((registration) => registration.update()).catch(() => {}), 0)));
  }

  // Qt 6.4's loader fetches the program itself and draws on the canvas.
  function loadWithQtLoader() {
    loader = QtLoader({
      canvasElements: [screen],
      integrity: kProgram,
      showLoader: (state) => say(state === "Downloading" ? "Изтегляне на програмата…"
                                                         : "Подготовка на програмата…"),
      showError: (text) => fail(/WebAssembly is not supported/.test(text) ? "wasm"
                                : /WebGL is not supported/.test(text) ? "webgl" : "files"),
      showExit: () => fail("stopped"),
      showCanvas: shown,
    });
    loader.loadEmscriptenModule("vendrola");
  }

  // Later Qt's loader is handed the program's module, which the page
  // fetches and compiles (so that it can say how far it is), and its entry
  // function, which vendrola.js defines (Qt names it after the program);
  // the toolkit puts its screen in an element, not a canvas.
  function loadWithQtLoad() {
    if (typeof WebAssembly !== "object") {
      fail("wasm");
      return;
    }
    const element = document.createElement("div");
    for (const name of ["id", "aria-hidden", "hidden"])
      element.setAttribute(name, screen.getAttribute(name));
    screen.replaceWith(element);
    screen = element;
    const compiled = fetch("vendrola.wasm", { integrity: kProgram["vendrola.wasm"] || "" }).then((response) => {
      if (!response.ok)
        throw new Error(`vendrola.wasm: ${response.status}`);
      // A host that does not say the file is WebAssembly gets it compiled
      // once it is all there.
      const copy = response.clone();
      return WebAssembly.compileStreaming(response)
        .catch(() => copy.arrayBuffer().then((bytes) => WebAssembly.compile(bytes)));
    }).then((module) => {
      say("Подготовка на програмата…");
      return module;
    }, (error) => {
      fail("files");
      throw error;
    });
    load("vendrola.js", () => qtLoad({
      preRun: [(module) => { instance = module; }],
      qt: {
        entryFunction: window.vendrola_entry,
        containerElements: [screen],
        module: compiled,
        onLoaded: shown,
        onExit: () => fail("stopped"),
      },
    }).catch(() => fail("stopped")));
  }

  // Loads one of the program's scripts, checked against its digest.
  function load(file, then) {
    const script = document.createElement("script");
    script.src = file;
    script.integrity = kProgram[file] || "";
    script.onload = then;
    script.onerror = () => fail("files");
    document.head.append(script);
  }

  function start() {
    say("Изтегляне на програмата…");
    stage.setAttribute("aria-busy", "true");
    if (typeof qtLoad === "function")
      loadWithQtLoad();
    else
      loadWithQtLoader();
  }

  // Only the program's own faults stop it: a trap or abort of its
  // WebAssembly, its exit, an exception thrown in its files. A browser
  // feature that fails on the way, one the program does not need, does not.
  const ownFile = /\/(vendrola\.js|qtloader\.js|page\.js)$/;
  function ownFault(error) {
    return (typeof WebAssembly === "object" && error instanceof WebAssembly.RuntimeError) ||
           (error !== null && typeof error === "object" && error.name === "ExitStatus");
  }
  window.addEventListener("error", (event) => {
    if (ownFault(event.error) || ownFile.test((event.filename || "").split(/[?#]/)[0]))
      fail("stopped");
  });
  window.addEventListener("unhandledrejection", (event) => {
    if (ownFault(event.reason))
      fail("stopped");
  });
  window.addEventListener("resize", fit);
  coarse.addEventListener("change", fit);
  fit();
  takeTaps();
  // A page opened as a file cannot run the program: it says how to serve it.
  if (location.protocol === "file:")
    fail("file");
  else
    load("qtloader.js", start);

  return {
    fail,
    // A run-time error of the program, in its own words.
    showFault: (message) => fail(message),
    module: program,
    scale: () => scale,
    windowCanvas, inWindow,
  };
})();

// The accessible twin: one element for each control and item the program
// describes, with its ARIA role, name, description and states, placed where
// the control is. The program calls sync() after every change it hears of.
window.vendrolaTwin = (() => {
  const root = document.getElementById("twin");
  const descriptions = document.getElementById("twin-descriptions");
  let focusedId = "";

  function set(element, name, value) {
    if (value === null || value === false || value === "") {
      if (element.hasAttribute(name))
        element.removeAttribute(name);
    } else if (element.getAttribute(name) !== String(value)) {
      element.setAttribute(name, value === true ? "true" : value);
    }
  }

  // Through the element's style object, which the page's content policy
  // allows, where a style attribute would be inline style.
  const placed = new WeakMap();
  function place(element, node, parent) {
    const left = node.left - (parent ? parent.left : 0);
    const top = node.top - (parent ? parent.top : 0);
    const style = `${left} ${top} ${node.width} ${node.height}`;
    if (placed.get(element) === style)
      return;
    placed.set(element, style);
    Object.assign(element.style, { left: `${left}px`, top: `${top}px`, width: `${node.width}px`,
                                   height: `${node.height}px` });
  }

  // A description is the text of a hidden element the element points to,
  // which every engine hands to screen readers (WebKit does not take
  // aria-description).
  function describe(element, description) {
    const id = `${element.id}-said`;
    let said = document.getElementById(id);
    if (!description) {
      set(element, "aria-describedby", "");
      if (said)
        said.remove();
      return;
    }
    if (!said) {
      said = document.createElement("div");
      said.id = id;
      descriptions.append(said);
    }
    if (said.textContent !== description)
      said.textContent = description;
    set(element, "aria-describedby", id);
  }

  // The text box's element is a field that takes text, where a phone's or
  // a tablet's on-screen keyboard types (a tap on the text box gives it the
  // focus, and so that keyboard) and where a paste lands: what is typed,
  // pasted or deleted there is given to the window's text box, and the
  // element shows the box's text again at the next sync. Keys of a real
  // keyboard go on to the window as anywhere in the twin; what the window
  // takes is not typed twice.
  let composing = null;
  function typed(event) {
    const module = vendrolaPage.module();
    const id = event.currentTarget.id;
    if (event.type === "compositionstart") {
      composing = id;
      return;
    }
    if (event.type === "compositionend") {
      composing = null;
      if (module && event.data)
        module.vendrolaTwinType(id, event.data);
      return;
    }
    if (event.inputType === "insertCompositionText" || !event.cancelable)
      return;
    event.preventDefault();
    const text = event.data !== null ? event.data
               : event.dataTransfer ? event.dataTransfer.getData("text/plain") : "";
    if (!module)
      return;
    if (event.inputType.startsWith("insert") && text)
      module.vendrolaTwinType(id, text.replace(/\r\n?/g, "\n"));
    else
      module.vendrolaTwinEdit(id, event.inputType);
  }

  // A paste into the text box's element is the page's to give to the text
  // box, once: before the toolkit's own paste handling (on the document in
  // Chromium) hears of it and pastes it a second time, and whether or not
  // an engine then edits the element.
  window.addEventListener("paste", (event) => {
    const box = event.target instanceof Element && event.target.closest("#twin [role=textbox]");
    if (!box)
      return;
    event.preventDefault();
    event.stopImmediatePropagation();
    const module = vendrolaPage.module();
    const text = event.clipboardData ? event.clipboardData.getData("text/plain") : "";
    if (module && text)
      module.vendrolaTwinType(box.id, text.replace(/\r\n?/g, "\n"));
  }, true);

  function activate(event) {
    const module = vendrolaPage.module();
    const role = event.currentTarget.getAttribute("role");
    if (module && (role === "button" || role === "option"))
      module.vendrolaTwinPress(event.currentTarget.id);
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
        // A screen reader's "activate" presses a button, and selects a
        // list's option or the chart's month, as a click on it (or on the
        // month's label) would. Each element listens itself, which is what
        // Firefox offers such an action for.
        element.addEventListener("click", activate);
        if (node.role === "textbox") {
          set(element, "contenteditable", "true");
          set(element, "spellcheck", "false");
          for (const type of ["beforeinput", "compositionstart", "compositionend"])
            element.addEventListener(type, typed);
        }
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
      // A list's items take the focus as the list's current item does.
      set(element, "tabindex", node.focusable || node.role === "option" ? "-1" : "");
      set(element, "aria-disabled", node.disabled);
      describe(element, node.description);
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
        if (element.textContent !== text && composing !== node.id)
          element.textContent = text;
      } else if (node.role !== "listbox" && element.firstChild) {
        element.replaceChildren();
      }
      place(element, node, byId.get(node.parent));
    }
    for (const element of [...root.querySelectorAll("div[id]")])
      if (!byId.has(element.id))
        element.remove();
    for (const said of [...descriptions.children])
      if (!byId.has(said.id.replace(/-said$/, "")))
        said.remove();
    focusedId = focused;
    focusTwin();
  }

  // The keys the window uses that an engine may leave unnamed: WebKitGTK
  // calls Shift+Tab "Unidentified" (its key is ISO_Left_Tab), though its
  // code says Tab. Such a key is given the name its code says.
  const kNamedCodes = new Map([["Tab", "Tab"], ["Enter", "Enter"], ["NumpadEnter", "Enter"],
    ["Space", " "], ["ArrowLeft", "ArrowLeft"], ["ArrowRight", "ArrowRight"],
    ["ArrowUp", "ArrowUp"], ["ArrowDown", "ArrowDown"], ["Home", "Home"], ["End", "End"],
    ["PageUp", "PageUp"], ["PageDown", "PageDown"], ["Escape", "Escape"]]);
  function named(event) {
    return event.key === "Unidentified" && kNamedCodes.has(event.code);
  }

  // Gives a key to the window, as pressed on the canvas, under its name;
  // what the window takes the browser does not take too.
  function forward(event) {
    const forwarded = new KeyboardEvent(event.type, {
      key: named(event) ? kNamedCodes.get(event.code) : event.key, code: event.code,
      location: event.location, repeat: event.repeat, isComposing: event.isComposing,
      ctrlKey: event.ctrlKey, shiftKey: event.shiftKey, altKey: event.altKey,
      metaKey: event.metaKey, keyCode: event.keyCode, charCode: event.charCode,
      which: event.which, bubbles: true, cancelable: true, composed: true });
    vendrolaPage.windowCanvas().dispatchEvent(forwarded);
    if (forwarded.defaultPrevented)
      event.preventDefault();
  }

  // Keys pressed on an element go on to the window.
  for (const type of ["keydown", "keyup"]) {
    root.addEventListener(type, forward);
    // Keys pressed on the window itself reach it directly, but for an
    // unnamed one, which goes renamed.
    document.addEventListener(type, (event) => {
      if (vendrolaPage.inWindow(event.target) && event.isTrusted && named(event)) {
        event.stopPropagation();
        forward(event);
      }
    }, true);
  }
  // A click on the window focuses the canvas; the focus goes back to the
  // control's element once the window has handled the click.
  document.addEventListener("focusin", (event) => {
    if (vendrolaPage.inWindow(event.target))
      setTimeout(focusTwin, 0);
  });

  return { sync };
})();
