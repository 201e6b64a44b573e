// Records every script error on <body data-script-errors>, so that a test
// reading the page after it ran can tell a clean page from a broken one.
(function () {
  'use strict';
  var errors = [];
  function note(message) {
    errors.push(String(message));
    document.body.setAttribute('data-script-errors', errors.join(' | '));
  }
  window.linprobNoteError = note;
  window.addEventListener('error', function (event) {
    var where = event.filename ? ' (line ' + event.lineno + ')' : '';
    var what = event.message || ('failed to load ' + (event.target && event.target.tagName));
    note('error: ' + what + where);
  }, true);
  window.addEventListener('unhandledrejection', function (event) {
    note('unhandled rejection: ' + event.reason);
  });
  window.addEventListener('securitypolicyviolation', function (event) {
    note('blocked by the page policy: ' + event.violatedDirective);
  });
  var consoleError = console.error;
  console.error = function () {
    note('console.error: ' + Array.prototype.join.call(arguments, ' '));
    return consoleError.apply(console, arguments);
  };
})();
