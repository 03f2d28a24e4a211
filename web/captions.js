// The words around the device screen.  The program writes them into its
// transcript (see page.js): `caption TEXT` is what the caption area shows,
// `status TEXT` a text of the status strip, `reply C3` White's answer.  The
// caption area shows the caption; a live region tells a screen reader, in
// words, the status texts, White's replies ("White C3") and each new caption.
'use strict';

var vostraCaptions = (function () {
  const area = document.getElementById('caption');
  const announcer = document.getElementById('announce');
  const zh = /^zh/i.test(navigator.language || '');
  let pending = [];
  let flushing = false;

  // "a\\nb" in the transcript is two lines; "\\\\" a backslash.
  function unescape(text) {
    return text.replace(/\\(.)/g, (m, c) => (c === 'n' ? '\n' : c));
  }

  function showCaption(text) {
    area.textContent = '';
    for (const line of text ? text.split('\n') : []) {
      const p = document.createElement('p');
      p.textContent = line;
      area.appendChild(p);
    }
  }

  // Everything said during one of the program's steps is announced at once,
  // so that a screen reader does not cut one phrase off with the next.
  function say(words) {
    if (!announcer || !words) return;
    pending.push(words);
    if (flushing) return;
    flushing = true;
    queueMicrotask(() => {
      let text = pending.join('. ');
      // The same words again (a second "Failure") must still be heard: a
      // region whose text does not change says nothing.
      if (text === announcer.textContent) text += '\u00a0';
      announcer.textContent = text;
      pending = [];
      flushing = false;
    });
  }

  return {
    // One transcript line; lines of other kinds are not for the page.
    transcript(line) {
      const space = line.indexOf(' ');
      const kind = space < 0 ? line : line.slice(0, space);
      const rest = space < 0 ? '' : line.slice(space + 1);
      if (kind === 'caption') {
        const text = unescape(rest);
        showCaption(text);
        say(text.replace(/\n/g, '. '));
      } else if (kind === 'status') {
        if (rest.trim()) say(rest.trim());
      } else if (kind === 'reply') {
        if (rest === 'pass') say(zh ? '白棋停一手' : 'White passes');
        else say((zh ? '白 ' : 'White ') + rest);
      }
    },
  };
})();
