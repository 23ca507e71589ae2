// --pre-js for running the browser build under node (checks on the build machine): the folder
// node was started in is mounted into the program's file system and made its current folder, so
// what the program reads and writes by relative path is the host's.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  if (typeof process !== 'object' || typeof NODEFS === 'undefined') return;
  FS.mkdir('/host');
  FS.mount(NODEFS, {root: process.cwd()}, '/host');
  FS.chdir('/host');
});
