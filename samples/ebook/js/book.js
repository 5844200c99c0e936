// 山中茶话：下拉菜单跳转
function bookJump(sel) {
  var v = sel.options[sel.selectedIndex].value;
  if (v) { window.location.href = v; }
}
