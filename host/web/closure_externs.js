// host/web/closure_externs.js - browser names that the Closure Compiler's
// own externs lack, for the link's --closure 1 (host/web/web.cmake).
//
// Closure renames every property and global it has no extern for. The page's
// script (web_host.js, linked into lantern-vault.js) reads these from the
// browser, so they must keep their names. Properties the page and the module
// share through Module are written Module['name'] on both sides instead.
/** @externs */

// The global the saved states go to (Closure knows only window.localStorage).
/** @type {!Storage} */
var localStorage;

// navigator.userActivation.isActive: whether a gesture lets the page go full
// screen now.
/** @constructor */
function UserActivation() {}
/** @type {boolean} */
UserActivation.prototype.isActive;
/** @type {!UserActivation} */
Navigator.prototype.userActivation;
